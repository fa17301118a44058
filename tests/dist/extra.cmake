# The release (tools/dist.sh) made of the shipped build in the folder above the tests': the zip, its sums,
# and signing with a throwaway certificate. No Wine: the release is made and checked on the build machine.
get_filename_component(NV_SHIPPED_BUILD ${CMAKE_BINARY_DIR} DIRECTORY)
add_test(NAME dist_release COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/dist_test.sh ${CMAKE_SOURCE_DIR} ${NV_SHIPPED_BUILD})
set_tests_properties(dist_release PROPERTIES TIMEOUT 300)
# The release of the shipped build above is byte-identical to one built in a temporary folder without
# ccache. That build compiles the shipped programs once more: about a minute of processor time.
add_test(NAME dist_repro COMMAND bash ${CMAKE_SOURCE_DIR}/tools/repro.sh ${NV_SHIPPED_BUILD})
set_tests_properties(dist_repro PROPERTIES TIMEOUT 1200)
