# Decoder of the display-service protocol (tools/display-service).
if(TARGET vareko_display_protocol)
  vareko_fuzz_target(display_protocol vareko_display_protocol)
endif()
