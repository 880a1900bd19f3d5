# Writes the header that names the rules this build plays: a hash of the sources of every
# folder that decides how a match plays or what machines say to each other. Two builds whose
# rules differ by a byte name different versions, and a network game refuses a join between
# them. Run by the build every time; the header is rewritten only when the hash changes.
#   cmake -DROOT=<source dir> -DFOLDERS=<folders, separated by commas> -DOUTPUT=<header>
#         -P rules_version.cmake
string(REPLACE "," ";" folders "${FOLDERS}")
set(sources)
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE found RELATIVE ${ROOT} ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
  list(APPEND sources ${found})
endforeach()
# The backends draw and listen; they decide nothing of the match.
list(FILTER sources EXCLUDE REGEX "^platform/(sdl|web)_")
list(SORT sources)
if(NOT sources)
  message(FATAL_ERROR "No rule sources under ${ROOT} (${FOLDERS})")
endif()
# Each file's name and the hash of its bytes, in name order: what the version is made of.
set(listing "")
foreach(source IN LISTS sources)
  file(SHA256 ${ROOT}/${source} digest)
  string(APPEND listing "${source} ${digest}\n")
endforeach()
string(SHA256 digest "${listing}")
string(SUBSTRING ${digest} 0 8 version)
string(TOUPPER ${version} version)
set(text "// Made by the build (cmake/rules_version.cmake) from the sources of the game's rules.\n")
string(APPEND text "#pragma once\n\n#include <cstdint>\n\n")
string(APPEND text "// Joins between machines whose rules differ are refused.\n")
string(APPEND text "inline constexpr uint32_t kRulesVersion = 0x${version}u;\n")
string(APPEND text "inline constexpr const char* kRulesVersionText = \"${version}\";\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} previous)
  if(previous STREQUAL text)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${text}")
