# Puts the starter database into the program folder when that folder holds no database yet.
# Run on every build, so it must never replace a user's data: when any of the three table
# files is already there, nothing is copied, since a starter file beside a user's other files
# would make a database whose ids do not fit together.
#
#   cmake -DSOURCE=<data folder> -DDESTINATION=<program folder> -P CopyStarterDatabase.cmake

set(files Type.xml Event.xml EventData.xml)

set(present)
foreach(file IN LISTS files)
    if(EXISTS "${DESTINATION}/${file}")
        list(APPEND present ${file})
    endif()
endforeach()

if(present)
    list(LENGTH present count)
    list(LENGTH files total)
    if(NOT count EQUAL total)
        list(JOIN present ", " names)
        message(WARNING "${DESTINATION} holds only ${names} of a database; "
                        "the starter database is not copied beside it.")
    endif()
    return()
endif()

file(MAKE_DIRECTORY "${DESTINATION}")
foreach(file IN LISTS files)
    # A copy cut short must not look like a database file.
    file(COPY_FILE "${SOURCE}/${file}" "${DESTINATION}/${file}.part")
    file(RENAME "${DESTINATION}/${file}.part" "${DESTINATION}/${file}")
endforeach()
message(STATUS "Starter database copied into ${DESTINATION}")
