/* The sound module's bytes, carried inside the program so that it stays a
   single file; loaded from memory at the first chime (chimeplayer.cpp). */
    .section .rodata
    .global zentova_sound_module_begin
    .global zentova_sound_module_end
    .balign 64
zentova_sound_module_begin:
    .incbin ZENTOVA_SOUND_MODULE
zentova_sound_module_end:
    .section .note.GNU-stack,"",@progbits
