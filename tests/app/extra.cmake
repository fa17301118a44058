# A tiny program the installer test starts in place of the USB driver installer.
add_executable(nv_marker WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/app/helpers/marker.cpp)
target_link_options(nv_marker PRIVATE -municode)
set_target_properties(nv_marker PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(app_tests nv_marker)
# The replay tests run the program and the report tool as a user or a script would.
add_dependencies(app_tests netvetter netvetter-report)
