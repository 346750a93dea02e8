# Fails when a C++ source of the project deviates from .clang-format.
file(GLOB_RECURSE sources RELATIVE ${ROOT}
    ${ROOT}/app/*.cpp ${ROOT}/app/*.h
    ${ROOT}/platform/*.cpp ${ROOT}/platform/*.h
    ${ROOT}/controls/*.cpp ${ROOT}/controls/*.h
    ${ROOT}/comms/*.cpp ${ROOT}/comms/*.h
    ${ROOT}/protocol/*.cpp ${ROOT}/protocol/*.h
    ${ROOT}/settings/*.cpp ${ROOT}/settings/*.h
    ${ROOT}/printing/*.cpp ${ROOT}/printing/*.h
    ${ROOT}/live/*.cpp ${ROOT}/live/*.h
    ${ROOT}/tests/*.cpp ${ROOT}/tests/*.h
    ${ROOT}/bench/*.cpp ${ROOT}/bench/*.h)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${sources}
    WORKING_DIRECTORY ${ROOT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Source not formatted: run clang-format -i on the files listed above")
endif()
