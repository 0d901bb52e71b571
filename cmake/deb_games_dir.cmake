# Run by cpack after the install into its staging directory: moves the
# program from usr/bin to usr/games, where Debian keeps games.
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/mochitama")
list(LENGTH programs found)
if(NOT found EQUAL 1)
  message(FATAL_ERROR "expected one bin/mochitama under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}, found: ${programs}")
endif()
cmake_path(GET programs PARENT_PATH bin)
cmake_path(GET bin PARENT_PATH prefix)
file(MAKE_DIRECTORY "${prefix}/games")
file(RENAME "${programs}" "${prefix}/games/mochitama")
# An empty usr/bin would be packaged as such.
file(GLOB left "${bin}/*")
if(NOT left)
  file(REMOVE_RECURSE "${bin}")
endif()
