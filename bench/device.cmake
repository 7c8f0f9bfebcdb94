# Transfer of a full capture through SendCommand from the simulated meter.
if(TARGET voltaris_device AND TARGET voltaris_metersim)
    voltaris_add_benchmark(bench_serial_transfer
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_serial_transfer.cpp
        LIBS voltaris_device voltaris_metersim)
endif()
