# What is installed beside the commands, and the packages made of it
# (cpack): a Debian package on Linux, a zip for Windows from the cross build.
# The version is the project's own throughout.

# The manuals, made from man/*.in by cmake/manual.cmake: on Unix man pages
# (man/PAGE), for the Windows zip plain text with CR LF under the names
# below. The text manuals are made by a tested Unix build too, so that the
# test of what Windows users read runs there as well.
set(TAVOLIN_MAN_PAGES tavolin.1 tavolin-check.1 tavolin-log.1 tavolin.5)
set(TAVOLIN_TEXT_MANUALS manual-tavolin.txt manual-tavolin-check.txt manual-tavolin-log.txt
    manual-quiz-files.txt)
function(tavolin_manual page platform format output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}/man/${page}.in -DVERSION=${PROJECT_VERSION}
            -DPLATFORM=${platform} -DFORMAT=${format} -DOUTPUT=${output} -P ${PROJECT_SOURCE_DIR}/cmake/manual.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}.in ${PROJECT_SOURCE_DIR}/cmake/manual.cmake
    COMMENT "Making ${output}" VERBATIM)
endfunction()
if(NOT WIN32)
  # Built as the compressed pages' sources, below.
  foreach(page IN LISTS TAVOLIN_MAN_PAGES)
    tavolin_manual(${page} unix man ${PROJECT_BINARY_DIR}/man/${page})
  endforeach()
endif()
if(WIN32 OR TAVOLIN_TESTS)
  set(manuals)
  foreach(page manual IN ZIP_LISTS TAVOLIN_MAN_PAGES TAVOLIN_TEXT_MANUALS)
    tavolin_manual(${page} windows text ${PROJECT_BINARY_DIR}/${manual})
    list(APPEND manuals ${PROJECT_BINARY_DIR}/${manual})
  endforeach()
  add_custom_target(text_manuals ALL DEPENDS ${manuals})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README-windows.txt ${PROJECT_BINARY_DIR}/README.txt @ONLY
                 NEWLINE_STYLE CRLF)
endif()
# --help names the manuals as this build installs them.
target_compile_definitions(tavolin_cli PRIVATE TAVOLIN_TEXT_MANUALS=$<BOOL:${WIN32}>)

set(CPACK_PACKAGE_NAME tavolin)
set(CPACK_PACKAGE_VENDOR "The Tavolin developers")
set(CPACK_PACKAGE_CONTACT "The Tavolin developers <tavolin@tavolin.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quiz maker and quiz taker for the terminal")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # Everything in the zip's one folder: the programs, README.txt, LICENSE.txt,
  # the sample quiz and the manuals as plain text, all text with CR LF.
  install(TARGETS tavolin ${TAVOLIN_COMPANIONS} RUNTIME DESTINATION .)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt ${manuals}
                ${PROJECT_SOURCE_DIR}/sample/cows.tav DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME tavolin-${PROJECT_VERSION}-windows-x86_64)
else()
  install(TARGETS tavolin ${TAVOLIN_COMPANIONS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # A stripped install (the package's) also drops the sections that only
  # name the compiler, as Debian's own packages do.
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      foreach(command tavolin ${TAVOLIN_COMPANIONS})
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${command}\")
      endforeach()
    endif()")
  # The manuals and the changelog compressed, as Debian installs them (man
  # reads them so), reproducibly (no name or time stamp in the gzip header).
  set(compressed)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
  foreach(file IN LISTS TAVOLIN_MAN_PAGES ITEMS changelog)
    set(from ${PROJECT_BINARY_DIR}/${file})
    if(NOT file STREQUAL "changelog")
      set(from ${PROJECT_BINARY_DIR}/man/${file})
    endif()
    add_custom_command(OUTPUT ${from}.gz
      COMMAND gzip -9nc ${from} > ${from}.gz
      DEPENDS ${from}
      COMMENT "Compressing ${file}")
    list(APPEND compressed ${from}.gz)
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${compressed})
  foreach(page IN LISTS TAVOLIN_MAN_PAGES)
    string(REGEX REPLACE "^.*\\.([15])$" "\\1" section ${page})
    install(FILES ${PROJECT_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  endforeach()
  # The README for users (the checkout's README.md is the developers').
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README-unix.md ${PROJECT_BINARY_DIR}/README.md @ONLY)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz
                ${PROJECT_BINARY_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/sample/cows.tav DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION education)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The summary goes before it as the first line.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tavolin is an interactive, text-mode quiz maker and quiz taker for one
person at a terminal. Make a quiz of true/false, multiple-choice and
fill-in-the-blank questions, typed one by one into a plain-text quiz file,
or take one: the questions come in random order, the answers are shuffled,
every answer is judged at once in colour, and a percentage, a letter grade
and a joke from the Tavolin cow follow.

Two companion commands read back what Tavolin writes: tavolin-check checks
quiz files the way Tavolin reads them, and tavolin-log lists and checks the
encoded results log, as a table or as CSV.")
endif()

include(CPack)
