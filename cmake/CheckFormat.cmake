# Fails when a C++ source of the project deviates from .clang-format.
include(${ROOT}/cmake/Folders.cmake)
set(patterns "")
foreach(folder IN LISTS OMBREL_SOURCE_FOLDERS)
    list(APPEND patterns ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
endforeach()
file(GLOB_RECURSE sources RELATIVE ${ROOT} ${patterns})
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${sources}
    WORKING_DIRECTORY ${ROOT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Source not formatted: run clang-format -i on the files listed above")
endif()
