# Puts the bundled sample directory beside the program (cmake -P), unless the
# folder there holds a directory of the user's own: a register imported into
# build/bin/DATA must survive every later build.
#
# -D KARO_BUILD=karo-build -D SIZE=N -D SEED=S -D REFERENCE=sample/
# -D TARGET=bin/DATA -D STAMP=file listing the tables as last put there
function(tables_digest dir out)
  file(GLOB files LIST_DIRECTORIES false "${dir}/*")
  list(SORT files)
  set(digest "")
  foreach(f ${files})
    get_filename_component(name "${f}" NAME)
    file(MD5 "${f}" sum)
    string(APPEND digest "${name} ${sum}\n")
  endforeach()
  set(${out} "${digest}" PARENT_SCOPE)
endfunction()

if(EXISTS "${TARGET}")
  tables_digest("${TARGET}" now)
  set(before "")
  if(EXISTS "${STAMP}")
    file(READ "${STAMP}" before)
  endif()
  # (an empty folder is one the build tool made for its output)
  if(NOT now STREQUAL "" AND NOT now STREQUAL before)
    message(STATUS "${TARGET}: složka obsahuje jiný adresář, než jaký tam sestavení naposledy dalo "
                   "(třeba importovaný registr); ponechává se beze změny. Ukázkový adresář je v "
                   "${REFERENCE_OUT}. Vrátit ho tam lze smazáním složky a novým sestavením.")
    return()
  endif()
endif()

execute_process(COMMAND "${KARO_BUILD}" --sample ${SIZE} --seed ${SEED} --reference "${REFERENCE}" "${TARGET}"
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "karo-build --sample ${TARGET} failed")
endif()
tables_digest("${TARGET}" now)
file(WRITE "${STAMP}" "${now}")
