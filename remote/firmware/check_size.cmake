# cmake -DAVR_SIZE=avr-size -DELF=gz_remote.elf -P check_size.cmake
# Prints the image's size (as avr-size counts it) and fails when it does not
# fit the ATmega328P beside the board's 512-byte bootloader, or leaves too
# little RAM for the stack.
set(flash_limit 32256)   # 32 KiB less the bootloader
set(ram_limit 1792)      # 2 KiB less 256 bytes kept for the stack

execute_process(COMMAND "${AVR_SIZE}" -A "${ELF}" OUTPUT_VARIABLE table RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "avr-size failed on ${ELF}")
endif()
foreach(section text data bss)
  set(${section} 0)
  if(table MATCHES "\n\\.${section}[ \t]+([0-9]+)")
    set(${section} ${CMAKE_MATCH_1})
  endif()
endforeach()
math(EXPR flash "${text} + ${data}")
math(EXPR ram "${data} + ${bss}")
message(STATUS "Remote firmware: flash ${flash} of ${flash_limit} bytes, RAM ${ram} of ${ram_limit} bytes")
if(flash GREATER flash_limit OR ram GREATER ram_limit)
  message(FATAL_ERROR "The remote firmware does not fit the ATmega328P")
endif()
