# Soak programs, run by hand or with `make soak` (minutes each, so not part of `make bench`):
# the window in demonstration mode for 10 000 captures with its memory printed, and the
# worker against the simulator with faults switched on and off.
if(TARGET voltaris_ui AND TARGET voltaris_metersim)
    add_executable(soak_window ${CMAKE_CURRENT_LIST_DIR}/soak/SoakWindow.cpp
                               ${VOLTARIS_UI_TSAN_SUPPRESSIONS})
    target_link_libraries(soak_window PRIVATE voltaris_ui)
    add_executable(soak_faults ${CMAKE_CURRENT_LIST_DIR}/soak/SoakFaults.cpp)
    target_link_libraries(soak_faults PRIVATE voltaris_acquisition voltaris_metersim)
endif()
