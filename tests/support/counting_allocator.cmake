# The heap-allocation counter: a replaced global operator new/delete, linked
# into a binary as objects (an object library) so the replacement is always
# taken. Included by the tests and by the benchmarks, whichever come first.
include_guard(GLOBAL)
add_library(vareko_counting_allocator OBJECT ${CMAKE_CURRENT_LIST_DIR}/counting_allocator.cpp)
target_include_directories(vareko_counting_allocator PUBLIC ${PROJECT_SOURCE_DIR})
vareko_warnings(vareko_counting_allocator)
