# What the manuals tell their readers:
#   cmake -DBUILD=dir -DTEXT_MANUALS=0|1 -DEMULATOR=wine|"" -DCOMMANDS=path|path|path
#         -P manuals_test.cmake
# - The Windows zip's text manuals and README.txt, as the build made them:
#   CR LF lines within 80 columns, none of Unix's ways (man, fg, Ctrl-D,
#   signals, "$ " prompts, page references such as tavolin(5)), and what a
#   Windows user needs in each (the keys, how to start a results log, the
#   other manuals by name).
# - The man pages (a Unix build): no platform condition left in them.
# - Each command's --help: the manuals it names are those this build makes,
#   text files on Windows, man pages elsewhere, and nothing of the other kind.
cmake_minimum_required(VERSION 3.20)
set(faults "")
macro(fault text)
  string(APPEND faults "${text}\n")
endmacro()

# file: what it must hold (a phrase as it reads, line breaks aside).
set(text_files
  "manual-tavolin.txt|Ctrl-Z then Enter|type nul > Encrypted_file.csf|New-Item Encrypted_file.csf|manual-quiz-files.txt"
  "manual-tavolin-check.txt|C:\\quizzes> tavolin-check|manual-tavolin.txt|manual-quiz-files.txt"
  "manual-tavolin-log.txt|type nul > Encrypted_file.csf|New-Item Encrypted_file.csf|manual-tavolin.txt"
  "manual-quiz-files.txt|type nul > Encrypted_file.csf|New-Item Encrypted_file.csf|manual-tavolin-log.txt"
  "README.txt|Ctrl-Z then Enter|type nul > Encrypted_file.csf|New-Item Encrypted_file.csf|manual-tavolin.txt")
# what none of them may hold: a regular expression and what it finds
set(unix_ways
  "(^|[^A-Za-z-])[Mm]an [0-9a-z]|the man command"
  "(^|[^A-Za-z])fg([^A-Za-z]|$)|fg"
  "Ctrl-D|Ctrl-D"
  "(^|\n) *\\$ |a $ prompt"
  "SIG[A-Z]|a signal"
  "[a-z]\\([0-9]\\)|a man page reference")

foreach(entry IN LISTS text_files)
  string(REPLACE "|" ";" entry "${entry}")
  list(POP_FRONT entry name)
  set(path "${BUILD}/${name}")
  if(NOT EXISTS "${path}")
    fault("${name}: not made")
    continue()
  endif()
  # The bytes as "xx " each, CR LF pairs taken out: no CR or LF is left.
  file(READ "${path}" bytes HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
  string(REPLACE "0d 0a " "" bytes "${bytes}")
  if(bytes MATCHES "0[ad] ")
    fault("${name}: a line that does not end with CR LF")
  endif()
  file(READ "${path}" text)  # CR LF read as LF
  # Split into lines with what CMake's lists treat apart (; [ ] \) made plain.
  string(REGEX REPLACE "[][;\\]" "_" lines "${text}")
  string(REPLACE "\n" ";" lines "${lines}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    string(LENGTH "${line}" length)
    if(length GREATER 80 OR line MATCHES "\t")
      fault("${name}:${number}: ${length} columns or a tab: ${line}")
    endif()
  endforeach()
  foreach(way IN LISTS unix_ways)
    string(REGEX REPLACE "\\|[^|]*$" "" pattern "${way}")
    string(REGEX REPLACE "^.*\\|" "" what "${way}")
    string(REGEX MATCH "${pattern}" found "${text}")
    if(NOT found STREQUAL "")
      fault("${name}: ${what}: '${found}'")
    endif()
  endforeach()
  string(REGEX REPLACE "[ \n]+" " " flowing "${text}")
  foreach(phrase IN LISTS entry)
    string(FIND "${flowing}" "${phrase}" at)
    if(at EQUAL -1)
      fault("${name}: does not tell '${phrase}'")
    endif()
  endforeach()
endforeach()

file(GLOB pages "${BUILD}/man/*.[15]")
foreach(page IN LISTS pages)
  file(READ "${page}" text)
  if(text MATCHES "windows]")
    fault("${page}: a platform condition left in it")
  endif()
endforeach()

string(REPLACE "|" ";" COMMANDS "${COMMANDS}")
foreach(command IN LISTS COMMANDS)
  get_filename_component(name "${command}" NAME)
  execute_process(COMMAND ${EMULATOR} "${command}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  string(REGEX MATCHALL "manual-[a-z-]+\\.txt" text_named "${help}")
  string(REGEX MATCHALL "man (5 )?[a-z-]+" man_named "${help}")
  if(TEXT_MANUALS)
    set(named "${text_named}")
    set(other "${man_named}")
  else()
    set(named "${man_named}")
    set(other "${text_named}")
  endif()
  if(NOT status EQUAL 0 OR named STREQUAL "" OR NOT other STREQUAL "")
    fault("${name} --help: status ${status}; names ${named}; and ${other}, which this build does not make")
  endif()
  foreach(manual IN LISTS named)
    if(manual MATCHES "^man 5 (.*)$")
      set(manual "man/${CMAKE_MATCH_1}.5")
    elseif(manual MATCHES "^man (.*)$")
      set(manual "man/${CMAKE_MATCH_1}.1")
    endif()
    if(NOT EXISTS "${BUILD}/${manual}")
      fault("${name} --help: names ${manual}, which this build does not make")
    endif()
  endforeach()
endforeach()

if(NOT faults STREQUAL "")
  message(FATAL_ERROR "${faults}")
endif()
