# Builds the Debian package from the program already built, into a folder of its own, and checks
# what dpkg-deb reads from it: the files where the desktop and the program look for them, the
# dependencies on the libraries the program links and on the packages no link shows; then what
# lintian finds.
# Arguments: CPACK, CPACK_CONFIG, OUTPUT, BINDIR, DATADIR, VERSION.

file(REMOVE_RECURSE ${OUTPUT})
execute_process(COMMAND ${CPACK} -G DEB --config ${CPACK_CONFIG} -B ${OUTPUT}
    RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${log}")
endif()

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(deb ${OUTPUT}/ombrel_${VERSION}_${arch}.deb)
if(NOT EXISTS ${deb})
    file(GLOB made ${OUTPUT}/*.deb)
    message(FATAL_ERROR "expected ${deb}, cpack made: ${made}")
endif()

set(failures "")

execute_process(COMMAND dpkg-deb -c ${deb} OUTPUT_VARIABLE contents RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -c ${deb} failed")
endif()
foreach(file
        ${BINDIR}/ombrel
        ${DATADIR}/ombrel/ombrel.html
        ${DATADIR}/ombrel/4.wav
        ${DATADIR}/ombrel/Beispiel-Startliste.txt
        ${DATADIR}/applications/ombrel.desktop
        ${DATADIR}/icons/hicolor/scalable/apps/ombrel.svg)
    if(NOT contents MATCHES "root/root +[0-9]+ [-0-9]+ [:0-9]+ \\.${file}\n")
        string(APPEND failures "missing or not owned by root: ${file}\n")
    endif()
endforeach()
if(NOT contents MATCHES "-rwxr-xr-x root/root +[0-9]+ [-0-9]+ [:0-9]+ \\.${BINDIR}/ombrel\n")
    string(APPEND failures "the program is not executable for everyone\n")
endif()

execute_process(COMMAND dpkg-deb -f ${deb} Depends OUTPUT_VARIABLE depends)
foreach(package libqt6widgets6 libqt6printsupport6 libqt6multimedia6 libxlsxwriter[0-9a-z]*
                libqt6network6 libqt6httpserver6 libqt6keychain1 libqrencode4
                fonts-liberation xdg-utils qt6-qpa-plugins ca-certificates libc6)
    if(NOT depends MATCHES "(^|, )${package}( \\([^)]*\\))?(,|\n|$)")
        string(APPEND failures "Depends lacks ${package}: ${depends}")
    endif()
endforeach()

execute_process(COMMAND dpkg-deb -f ${deb} Description OUTPUT_VARIABLE description)
if(NOT description MATCHES "group dialout")
    string(APPEND failures "the description does not name the group dialout\n")
endif()

# The menu entry as the desktop reads it.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
execute_process(COMMAND dpkg-deb -x ${deb} ${OUTPUT}/root)
execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${OUTPUT}/root${DATADIR}/applications/ombrel.desktop
    RESULT_VARIABLE result OUTPUT_VARIABLE problems ERROR_VARIABLE problems)
if(NOT result EQUAL 0 OR problems)
    string(APPEND failures "ombrel.desktop: ${problems}\n")
endif()

# The newest changelog entry is the version packaged, which lintian does not compare.
execute_process(COMMAND gzip -dc ${OUTPUT}/root${DATADIR}/doc/ombrel/changelog.gz OUTPUT_VARIABLE changelog)
string(REGEX MATCH "^ombrel \\(([^)]*)\\)" newest "${changelog}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    string(APPEND failures "the changelog's newest entry is not version ${VERSION}: ${newest}\n")
endif()

# Debian's own checker, where it is installed: no errors and no warnings (a missing manual page is one).
find_program(LINTIAN lintian)
if(LINTIAN)
    execute_process(COMMAND ${LINTIAN} --fail-on error,warning ${deb}
        RESULT_VARIABLE result OUTPUT_VARIABLE tags ERROR_VARIABLE tags)
    if(NOT result EQUAL 0)
        string(APPEND failures "lintian:\n${tags}")
    endif()
else()
    message(STATUS "lintian is not installed; scripts/install-deps.sh --tests installs it")
endif()

if(failures)
    message(FATAL_ERROR "${deb}:\n${failures}")
endif()
message(STATUS "${deb}: files and dependencies as expected\nDepends: ${depends}")
