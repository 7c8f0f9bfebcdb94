# Line-rate pacing and sample synthesis of the meter simulator.
if(TARGET voltaris_metersim)
    voltaris_add_benchmark(bench_sim_pacing
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_sim_pacing.cpp
        LIBS voltaris_metersim)
endif()
