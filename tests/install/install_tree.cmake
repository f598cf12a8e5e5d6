# cmake -DBUILD=<build dir> -DROOT=<scratch folder> -P install_tree.cmake
# A fresh `cmake --install` of the build into ROOT as DESTDIR, with the prefix /usr of the package.
file(REMOVE_RECURSE "${ROOT}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "DESTDIR=${ROOT}" "${CMAKE_COMMAND}" --install "${BUILD}" --prefix /usr
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
