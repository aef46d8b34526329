# Run by cpack before it builds the Debian package: Debian puts the programs of games in /usr/games,
# and wants programs stripped as its own tools strip them (no .comment or .note section).
if(NOT CPACK_VARTENOS_INSTALL_PREFIX STREQUAL "/usr")
  # The game's last resort for its data is the installed folder, fixed when it was built.
  message(FATAL_ERROR "the Debian package installs under /usr, but this build was configured for "
                      "${CPACK_VARTENOS_INSTALL_PREFIX}: make it with scripts/package")
endif()
find_program(STRIP strip REQUIRED)
file(GLOB_RECURSE programas LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*/vartenos"
     "${CPACK_TEMPORARY_DIRECTORY}/*/vartenos-sim")
# The programs, not lintian's overrides file of the same name.
list(FILTER programas INCLUDE REGEX "/(bin|libexec/vartenos)/[^/]*$")
foreach(programa IN LISTS programas)
  execute_process(COMMAND ${STRIP} --remove-section=.comment --remove-section=.note --strip-unneeded "${programa}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(GLOB_RECURSE jogos "${CPACK_TEMPORARY_DIRECTORY}/*/usr/bin/vartenos")
file(GLOB_RECURSE direto "${CPACK_TEMPORARY_DIRECTORY}/usr/bin/vartenos")
foreach(bin IN LISTS jogos direto)
  get_filename_component(usr "${bin}" DIRECTORY)
  get_filename_component(usr "${usr}" DIRECTORY)
  file(MAKE_DIRECTORY "${usr}/games")
  file(RENAME "${bin}" "${usr}/games/vartenos")
  file(GLOB resto "${usr}/bin/*")
  if(NOT resto)
    file(REMOVE_RECURSE "${usr}/bin")
  endif()
endforeach()
