# Run by cpack before it makes the package: strips the programs as Debian strips its own,
# debugging symbols and the compiler's .comment and .note sections too.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
if(NOT programs)
  message(FATAL_ERROR "No programs to strip in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin")
endif()
foreach(program IN LISTS programs)
  execute_process(COMMAND strip --remove-section=.comment --remove-section=.note ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
