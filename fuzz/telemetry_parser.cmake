# The telemetry parser, checked against the sscanf reference of the tests.
# Built from its own sources: the parser needs nothing from the other layers.
vareko_fuzz_target(telemetry_parser)
target_sources(fuzz_telemetry_parser PRIVATE
  ${PROJECT_SOURCE_DIR}/app/exact_decimal.cpp
  ${PROJECT_SOURCE_DIR}/app/float_scan.cpp
  ${PROJECT_SOURCE_DIR}/app/telemetry_parser.cpp
  ${PROJECT_SOURCE_DIR}/testing/support/scanf_reference.cpp
  ${PROJECT_SOURCE_DIR}/testing/support/telemetry_text.cpp)
target_include_directories(fuzz_telemetry_parser PRIVATE ${PROJECT_SOURCE_DIR})
vareko_warnings(fuzz_telemetry_parser)
