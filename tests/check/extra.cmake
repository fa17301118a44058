# PE files that the real-backend tests of the check run against, built with the compilers of this
# build (so they match the test executable's architecture), and the shipped list beside the tests.
set(NV_CHECK_PE ${CMAKE_CURRENT_LIST_DIR}/pe)
set(NV_CHECK_OUT ${CMAKE_BINARY_DIR}/tests/nvtest)

function(nv_check_test_pe target subdir name suffix)
  add_library(${target} SHARED ${ARGN})
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${name} SUFFIX ${suffix}
    RUNTIME_OUTPUT_DIRECTORY ${NV_CHECK_OUT}/${subdir}
    # Import libraries stay out of every library search path.
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/nvtest-implib/${target})
  add_dependencies(check_tests ${target})
endfunction()

# A driver whose file version (103.1.0.113) and product version (9.8.7.6) differ.
nv_check_test_pe(nvtest_driver drv nvtestdrv .sys ${NV_CHECK_PE}/resource_only.c ${NV_CHECK_PE}/driver.rc)
# A system library stand-in: product version 6.3, file version 5.1. Not named kernel32.dll: Wine
# answers a version query on any file of that name from the kernel32 already loaded.
nv_check_test_pe(nvtest_kernel fakesys nvkernel .dll ${NV_CHECK_PE}/resource_only.c ${NV_CHECK_PE}/kernel.rc)
# The PROSet interface library stand-in, away from the test executable's folder so that the bare-name
# search does not find it there.
nv_check_test_pe(nvtest_muroc proset MurocApi .dll ${NV_CHECK_PE}/muroc.c ${NV_CHECK_PE}/muroc.def)

# The list that ships beside the program, beside the test executable too (the program's layout).
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/tests/driverinfo.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/res/driverinfo.txt ${CMAKE_BINARY_DIR}/tests/driverinfo.txt
  DEPENDS ${CMAKE_SOURCE_DIR}/res/driverinfo.txt)
add_custom_target(nvtest_shipped_list DEPENDS ${CMAKE_BINARY_DIR}/tests/driverinfo.txt)
add_dependencies(check_tests nvtest_shipped_list)
# On 32-bit builds the __stdcall entry point is decorated (GetAPIVersion@4); the .def exports it
# under its plain name.
target_link_options(nvtest_muroc PRIVATE -Wl,--enable-stdcall-fixup)
