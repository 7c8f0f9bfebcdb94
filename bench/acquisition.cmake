# Capture cycle of the acquisition worker against the paced meter simulator.
if(TARGET voltaris_acquisition AND TARGET voltaris_metersim)
    voltaris_add_benchmark(bench_capture_cycle
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_capture_cycle.cpp
        LIBS voltaris_acquisition voltaris_metersim)
endif()
