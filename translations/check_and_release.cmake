# Runs lupdate over the sources into a copy of the .ts: the copy must come
# out as the .ts is, every text translated; then lrelease makes the .qm.
set(copy ${WORK}/checked_en.ts)
file(COPY_FILE ${TS} ${copy})
execute_process(COMMAND ${LUPDATE} ${OPTIONS} @${SOURCES} -ts ${copy}
                OUTPUT_VARIABLE report ERROR_VARIABLE report RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "lupdate failed:\n${report}")
endif()
file(READ ${copy} checked)
file(READ ${TS} kept)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n\t]*<translation type=\"unfinished\"" untranslated "${checked}")
if(untranslated)
    string(REPLACE "<translation type=\"unfinished\"" "" untranslated "${untranslated}")
    string(REPLACE ";" "\n" untranslated "${untranslated}")
    message(FATAL_ERROR "larkspool_en.ts lacks the English of texts in the sources "
                        "(update_translations adds them for translating):\n${untranslated}\n\nlupdate: ${report}")
endif()
if(NOT checked STREQUAL kept)
    message(FATAL_ERROR "larkspool_en.ts holds texts the sources no longer have; update_translations drops them.\n"
                        "lupdate: ${report}")
endif()
get_filename_component(qm_folder ${QM} DIRECTORY)
file(MAKE_DIRECTORY ${qm_folder})
execute_process(COMMAND ${LRELEASE} ${TS} -qm ${QM} OUTPUT_VARIABLE released ERROR_VARIABLE released
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "lrelease failed:\n${released}")
endif()
