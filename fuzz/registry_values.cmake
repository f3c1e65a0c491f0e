# The registry's value-file reader and writer, through the registry calls.
vareko_fuzz_target(registry_values vareko_platform)
vareko_warnings(fuzz_registry_values)
