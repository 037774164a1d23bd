# What is installed beside the commands, and the packages made of it
# (cpack): a Debian package on Linux, a zip for Windows from the cross build.
# The version is the project's own throughout.

# The manuals, with the version, made from man/*.in.
set(TAVOLIN_MAN_PAGES tavolin.1 tavolin-check.1 tavolin-log.1 tavolin.5)
foreach(page IN LISTS TAVOLIN_MAN_PAGES)
  configure_file(${PROJECT_SOURCE_DIR}/man/${page}.in ${PROJECT_BINARY_DIR}/man/${page} @ONLY)
endforeach()

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
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README-windows.txt ${PROJECT_BINARY_DIR}/README.txt @ONLY
                 NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  find_program(TAVOLIN_GROFF groff REQUIRED)
  set(manuals)
  foreach(page IN LISTS TAVOLIN_MAN_PAGES)
    string(REGEX REPLACE "^(.*)\\.([15])$" "\\1" name ${page})
    set(manual ${PROJECT_BINARY_DIR}/manual-${name}.txt)
    if(page STREQUAL "tavolin.5")
      set(manual ${PROJECT_BINARY_DIR}/manual-quiz-files.txt)
    endif()
    # groff's plain text (no overstriking, no hyphens, ragged right), then CR LF.
    add_custom_command(OUTPUT ${manual}
      COMMAND ${TAVOLIN_GROFF} -man -Tascii -P-cbou -rHY=0 -dAD=l ${PROJECT_BINARY_DIR}/man/${page} > ${manual}.lf
      COMMAND ${CMAKE_COMMAND} -DIN=${manual}.lf -DOUT=${manual} -P ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake
      DEPENDS ${PROJECT_BINARY_DIR}/man/${page} ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake
      COMMENT "Making ${manual}")
    list(APPEND manuals ${manual})
  endforeach()
  add_custom_target(manuals ALL DEPENDS ${manuals})
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
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz
                ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
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
