# corvane_gzip_file(SOURCE OUTPUT): OUTPUT (ending in .gz) is SOURCE compressed at build
# time, as Debian wants manual pages and changelogs: best compression, and no name or time
# stamp inside, so the same source always gives the same bytes.
function(corvane_gzip_file source output)
  string(REGEX REPLACE "\\.gz$" "" uncompressed "${output}")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${uncompressed}
    COMMAND gzip -9 -n -f ${uncompressed}
    DEPENDS ${source}
    COMMENT "Compressing ${source}"
    VERBATIM)
endfunction()
