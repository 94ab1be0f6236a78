# Stages `make install` into a temporary folder and checks what the desktop
# needs: the client, a launcher, an icon, its metainfo, a man page, and an entry that starts the
# launcher with the link it is handed.
#   cmake -DBUILD=<build dir> -DSTAGE=<folder> -DPREFIX=<install prefix> -DLIBEXEC=<dir> -P CheckInstall.cmake
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install "${BUILD}"
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "install failed")
endif()
set(launcher "${LIBEXEC}/zorl/zorl-launch")
foreach(file "${PREFIX}/bin/zorl" "${launcher}" "${PREFIX}/share/applications/zorl.desktop"
        "${PREFIX}/share/icons/hicolor/scalable/apps/zorl.svg"
        "${PREFIX}/share/metainfo/org.zorl.Zorl.metainfo.xml" "${PREFIX}/share/man/man1/zorl.1")
  if(NOT EXISTS "${STAGE}${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ "${STAGE}${PREFIX}/share/applications/zorl.desktop" entry)
foreach(line "Exec=${launcher} %u" "Icon=zorl" "MimeType=x-scheme-handler/irc;x-scheme-handler/ircs;")
  string(FIND "${entry}" "\n${line}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "the desktop entry lacks \"${line}\"")
  endif()
endforeach()
file(READ "${STAGE}${launcher}" script)
string(FIND "${script}" "exec \"${PREFIX}/bin/zorl\" \"$@\"" at)
if(at LESS 0)
  message(FATAL_ERROR "the launcher does not start ${PREFIX}/bin/zorl")
endif()
file(REMOVE_RECURSE "${STAGE}")
