# Fails when a catalogue is out of date with the code: lupdate, run on a copy of each
# catalogue with the build's options, would change it.
# cmake -DLUPDATE=... -DSOURCE_DIR=... -DOPTIONS=a|b -DTS_FILES=a|b -DWORK=... -P this
string(REPLACE "|" ";" options "${OPTIONS}")
string(REPLACE "|" ";" ts_files "${TS_FILES}")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
foreach(ts ${ts_files})
    get_filename_component(name "${ts}" NAME)
    file(COPY "${ts}" DESTINATION "${WORK}")
    execute_process(COMMAND "${LUPDATE}" ${options} "${SOURCE_DIR}/src" -ts "${WORK}/${name}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "lupdate failed on ${name}:\n${output}")
    endif()
    file(READ "${ts}" before)
    file(READ "${WORK}/${name}" after)
    if(NOT before STREQUAL after)
        execute_process(COMMAND diff -u "${ts}" "${WORK}/${name}")
        message(FATAL_ERROR "${name} is out of date with the code. Run "
                            "`cmake --build build --target update_translations` and translate "
                            "the new entries.")
    endif()
endforeach()
