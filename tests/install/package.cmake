# cmake -DBUILD=<build dir> -DOUT=<scratch folder> -DCPACK=<cpack> -P package.cmake
# Builds the Debian package of the build into OUT, as `cpack -G DEB` does in the build folder.
file(REMOVE_RECURSE "${OUT}")
execute_process(
    COMMAND "${CPACK}" -G DEB --config "${BUILD}/CPackConfig.cmake" -B "${OUT}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed: ${result}")
endif()
file(GLOB packages "${OUT}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package in ${OUT}, found: ${packages}")
endif()
