// vareko: shows flight-simulator telemetry on the 160 x 43 display.
int main() { return 0; }
