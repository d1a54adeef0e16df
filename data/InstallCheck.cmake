# Installs the build BUILD into a fresh PREFIX, checks that every file of the installed program
# is there, and that the installed editor reads its help texts from PREFIX/DATADIR/quorvel.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
  ${BINDIR}/quorvel
  ${BINDIR}/quorvel-cli
  ${CLILIBDIR}/libquorvel-cli-commands.so
  ${CLILIBDIR}/libquorvel-cli-decode.so
  ${DATADIR}/quorvel/textures.txt
  ${DATADIR}/quorvel/icons.txt
  ${DATADIR}/applications/quorvel.desktop
  ${DATADIR}/mime/packages/quorvel.xml
  ${DATADIR}/icons/hicolor/16x16/apps/quorvel.png
  ${DATADIR}/icons/hicolor/32x32/apps/quorvel.png
  ${DATADIR}/icons/hicolor/48x48/apps/quorvel.png
  ${MANDIR}/man1/quorvel.1
  ${MANDIR}/man1/quorvel-cli.1
  ${DATADIR}/metainfo/org.quorvel.Quorvel.metainfo.xml)
set(missing)
foreach(file IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${file} OR IS_DIRECTORY ${PREFIX}/${file})
    list(APPEND missing ${file})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not installed: ${missing}")
endif()

# No help text beside the installed program: it must find the installed ones.
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${PREFIX}/${BINDIR}/quorvel --help-files
  RESULT_VARIABLE result OUTPUT_VARIABLE found ERROR_VARIABLE errors)
set(wanted "${PREFIX}/${DATADIR}/quorvel/textures.txt\n${PREFIX}/${DATADIR}/quorvel/icons.txt\n")
if(NOT result EQUAL 0 OR NOT found STREQUAL wanted)
  message(FATAL_ERROR "the installed editor reads its help from:\n${found}${errors}(exit ${result}); wanted:\n${wanted}")
endif()

# The installed front finds its commands library: --help is one of the commands it holds.
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${PREFIX}/${BINDIR}/quorvel-cli --help
  RESULT_VARIABLE result OUTPUT_VARIABLE help ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT help MATCHES "^Usage: quorvel-cli ")
  message(FATAL_ERROR "the installed quorvel-cli does not run its commands (exit ${result}):\n${errors}")
endif()

# Where shared-mime-info is installed, its database takes the package and maps *.m32 to the type.
find_program(UPDATE_MIME_DATABASE update-mime-database)
if(UPDATE_MIME_DATABASE)
  execute_process(COMMAND ${UPDATE_MIME_DATABASE} ${PREFIX}/${DATADIR}/mime RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  file(STRINGS ${PREFIX}/${DATADIR}/mime/globs2 globs REGEX "image/x-m32")
  if(NOT result EQUAL 0 OR NOT globs MATCHES "image/x-m32:\\*\\.m32")
    message(FATAL_ERROR "update-mime-database did not take the MIME package (${result}): ${globs}")
  endif()
endif()

execute_process(COMMAND ${PREFIX}/${BINDIR}/quorvel-cli --version RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installed quorvel-cli does not run: ${result}")
endif()
file(REMOVE_RECURSE ${PREFIX})
message(STATUS "installed and found its help in ${PREFIX}")
