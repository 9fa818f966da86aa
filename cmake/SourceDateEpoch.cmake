# Run by CPack. Every file and member is stamped with SOURCE_DATE_EPOCH when it is set, so two
# builds of one source make the same bytes. Unless the builder set it, it is the last commit's
# time, or without git the time of the changelog's top entry.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    get_filename_component(source ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
    set(time)
    if(EXISTS ${source}/.git)
        execute_process(COMMAND git -C ${source} log -1 --format=%ct
                        OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
    if(NOT time MATCHES "^[0-9]+$")
        file(STRINGS ${source}/packaging/changelog signature REGEX "^ -- .*>  " LIMIT_COUNT 1)
        string(REGEX REPLACE "^.*>  " "" date "${signature}")
        execute_process(COMMAND date -d ${date} +%s OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE)
    endif()
    set(ENV{SOURCE_DATE_EPOCH} ${time})
endif()
