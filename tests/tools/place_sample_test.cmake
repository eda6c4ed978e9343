# The build puts the sample beside the program only where the folder is
# missing, empty or still holds what the build put there; a directory the
# user imported there stays byte for byte (cmake -P, run by CTest).
#
# -D KARO_BUILD=karo-build -D REFERENCE=sample/ -D SCRIPT=PlaceSample.cmake -D WORK=scratch folder
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(target "${WORK}/DATA")
set(stamp "${WORK}/placed.md5")

function(place seed)
  execute_process(COMMAND "${CMAKE_COMMAND}" -D KARO_BUILD=${KARO_BUILD} -D SIZE=40 -D SEED=${seed}
                          -D REFERENCE=${REFERENCE} -D TARGET=${target} -D STAMP=${stamp}
                          -D REFERENCE_OUT=elsewhere -P "${SCRIPT}"
                  RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    message(FATAL_ERROR "placing the sample failed: ${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()
function(expect_same a b what)
  file(MD5 "${a}" x)
  file(MD5 "${b}" y)
  if(NOT x STREQUAL y)
    message(FATAL_ERROR "${what}")
  endif()
endfunction()

# A missing folder gets the sample.
place(1)
if(NOT EXISTS "${target}/pseek.d" OR NOT EXISTS "${stamp}")
  message(FATAL_ERROR "no sample in a missing folder")
endif()
file(COPY_FILE "${target}/pseek.d" "${WORK}/seed1.d")

# The build's own sample is replaced by a newer one.
place(2)
file(MD5 "${target}/pseek.d" now)
file(MD5 "${WORK}/seed1.d" old)
if(now STREQUAL old)
  message(FATAL_ERROR "the build's own sample was not replaced")
endif()

# A directory of the user's own stays, and the build says so.
execute_process(COMMAND "${KARO_BUILD}" --sample 30 --seed 7 --reference "${REFERENCE}" "${target}"
                RESULT_VARIABLE failed OUTPUT_QUIET)
file(COPY_FILE "${target}/pseek.d" "${WORK}/own.d")
place(3)
expect_same("${target}/pseek.d" "${WORK}/own.d" "a directory of the user's own was replaced")
if(NOT out MATCHES "ponechává se beze změny")
  message(FATAL_ERROR "the build did not say that it kept the folder: ${out}")
endif()

# An empty folder (as the build tool makes for its outputs) gets the sample.
file(REMOVE_RECURSE "${target}")
file(MAKE_DIRECTORY "${target}")
place(1)
expect_same("${target}/pseek.d" "${WORK}/seed1.d" "an empty folder did not get the sample")
file(REMOVE_RECURSE "${WORK}")
