# The report tests run the shipped report program, read its JSON with the same parser the summary
# uses, and keep a file open from a second process (nv_holder) while the report replaces it.
add_dependencies(report_tests netvetter-report netvetter)
target_include_directories(report_tests SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/thirdparty)
add_executable(nv_holder ${CMAKE_CURRENT_LIST_DIR}/helpers/holder.cpp)
target_link_options(nv_holder PRIVATE -municode)
set_target_properties(nv_holder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(report_tests nv_holder)
