# Run by CPack on the package's files before it packs them: what Debian asks of a game's
# package. The program in /usr/games, the manual page compressed, the licence as a Debian
# copyright file, and a changelog (a package made here is its own upstream, so Debian calls it
# native). The game still finds its char.bmp in /usr/share/diraviru, beside its folder.
# CPack passes the staging folder and the CPACK_ variables of cmake/install.cmake.
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(docs "${stage}/${CPACK_DIRAVIRU_DOCDIR}")
set(program "${stage}/${CPACK_DIRAVIRU_BINDIR}/diraviru")
if(NOT EXISTS "${docs}/README.md" OR NOT EXISTS "${program}")
  message(FATAL_ERROR "debian_layout: no installed README.md or program in ${stage}")
endif()

file(MAKE_DIRECTORY "${stage}/games")
file(RENAME "${program}" "${stage}/games/diraviru")
file(GLOB left "${stage}/${CPACK_DIRAVIRU_BINDIR}/*")
if(NOT left)
  file(REMOVE_RECURSE "${stage}/${CPACK_DIRAVIRU_BINDIR}")
endif()

# gzip -9n: the best compression, and no name or time stamp in the file, so that the same
# sources make the same package.
function(compress file)
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "debian_layout: cannot compress ${file}")
  endif()
endfunction()

compress("${stage}/${CPACK_DIRAVIRU_MANDIR}/man6/diraviru.6")

# The copyright file in Debian's machine-readable format, from LICENSE: its copyright line,
# and its permission and warranty paragraphs, each line indented, an empty line as " .".
file(READ "${CPACK_DIRAVIRU_LICENSE}" licence)
if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)")
  message(FATAL_ERROR "debian_layout: no copyright line in ${CPACK_DIRAVIRU_LICENSE}")
endif()
set(holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*(Permission is hereby granted)" "\\1" terms "${licence}")
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
file(WRITE "${docs}/copyright"
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: diraviru
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}

Files: *
Copyright: ${holder}
License: Expat
 ${terms}
")

string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE "${docs}/changelog"
"diraviru (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium

  * Version ${CPACK_PACKAGE_VERSION} of the game, packaged from its own sources.

 -- ${CPACK_PACKAGE_CONTACT}  ${date}
")
compress("${docs}/changelog")
