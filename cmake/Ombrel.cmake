# Shared build settings: warnings, strict Qt string casts, one static library per folder.

function(ombrel_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wold-style-cast -Wcast-align -Woverloaded-virtual)
    if(OMBREL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                                 QT_NO_CAST_FROM_BYTEARRAY QT_STRICT_ITERATORS
                                                 QT_FORCE_ASSERTS)
endfunction()

# ombrel_library(<name> SOURCES ... LIBS ... PRIVATE_LIBS ...): a static library for one folder,
# aliased ombrel::<name>. Every include names its folder ("controls/SortGrid.h") from the one
# include root, the project's top folder, so the layers show in the includes themselves.
function(ombrel_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    add_library(ombrel::${name} ALIAS ${name})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    ombrel_warnings(${name})
endfunction()
