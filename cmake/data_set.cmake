# The data set's files as src/core/data_set.h lists them, for the build.
#
#   mijotine_data_files(<var> [<maker>...])
#
# sets <var> to the names of the files that the given makers make (Pictures,
# Song, Font; every file if none is given), in the table's order. Finer, named
# only on its own, gives the finer pictures the picture generator draws too:
# one for each picture that fills a slot (a key named kSlot...), under its
# name with "@2x" before the extension. The table is
# read with the pattern its header documents; an entry written otherwise
# stops the configuration rather than going missing.
set(MIJOTINE_DATA_SET_HEADER ${CMAKE_CURRENT_LIST_DIR}/../src/core/data_set.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${MIJOTINE_DATA_SET_HEADER})

function(mijotine_data_files var)
  set(entry "^ *{[^,\"]+, *\"([^\"]+)\", *DataSource::([A-Za-z]+), *\"[^\"]*\", *(nullptr|\"[^\"]*\")},")
  file(STRINGS ${MIJOTINE_DATA_SET_HEADER} lines REGEX "${entry}")
  file(STRINGS ${MIJOTINE_DATA_SET_HEADER} loose REGEX "^ *{.*DataSource::")
  list(LENGTH lines found)
  list(LENGTH loose written)
  if(found EQUAL 0 OR NOT found EQUAL written)
    message(FATAL_ERROR "${MIJOTINE_DATA_SET_HEADER}: ${written} entries, ${found} of them in the documented form")
  endif()
  set(names)
  foreach(line ${lines})
    string(REGEX REPLACE "${entry}.*" "\\1;\\2" fields "${line}")
    list(GET fields 0 name)
    list(GET fields 1 maker)
    if("Finer" IN_LIST ARGN)
      if(line MATCHES "^ *{ *kSlot")
        string(REGEX REPLACE "^(.*)(\\.[a-z]+)$" "\\1@2x\\2" finer "${name}")
        list(APPEND names ${finer})
      endif()
    elseif(NOT ARGN OR maker IN_LIST ARGN)
      list(APPEND names ${name})
    endif()
  endforeach()
  set(${var} ${names} PARENT_SCOPE)
endfunction()
