# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one fuzz target on a fresh copy of its seed corpus; fails when the fuzzer finds a crash, a
# leak or a broken invariant. The input that did it is left in WORK as crash-*, leak-* or oom-*.
#   cmake -DFUZZER=... -DSEEDS=... -DWORK=... -DARGS="-max_total_time=30 ..." -P RunFuzzer.cmake
separate_arguments(args UNIX_COMMAND "${ARGS}")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
execute_process(COMMAND ${FUZZER} ${args} -artifact_prefix=${WORK}/ ${WORK}/corpus
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${FUZZER} stopped with ${status}; its input is in ${WORK}")
endif()
