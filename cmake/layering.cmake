# The layering rules, checked when the build is configured. Each walks a target's links, direct
# and through other targets, and stops at the first one matching a forbidden pattern.
function(vantor_forbid_links pattern reason)
    foreach(target IN LISTS ARGN)
        set(seen "")
        set(queue ${target})
        while(queue)
            list(POP_FRONT queue current)
            if(current IN_LIST seen OR NOT TARGET ${current})
                continue()
            endif()
            list(APPEND seen ${current})
            if(NOT current STREQUAL target AND current MATCHES "${pattern}")
                message(FATAL_ERROR "${target} reaches ${current}; ${reason}")
            endif()
            get_target_property(type ${current} TYPE)
            if(type STREQUAL "INTERFACE_LIBRARY")
                get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
            else()
                get_target_property(links ${current} LINK_LIBRARIES)
            endif()
            if(links)
                list(APPEND queue ${links})
            endif()
        endwhile()
    endforeach()
endfunction()

# A core or command-line target may not reach Qt Gui, Widgets or Multimedia.
function(vantor_forbid_desktop)
    vantor_forbid_links("^(Qt6::(Gui|Widgets|Multimedia)|vantor_platform_desktop)$"
        "core and command-line targets link no desktop library" ${ARGN})
endfunction()

# The stats floor knows nothing of the history above it, and neither knows the programs.
function(vantor_forbid_programs)
    vantor_forbid_links("^(recorder_|utilities_|Vantor)"
        "the stats floor and the history link nothing of the programs" ${ARGN})
endfunction()
