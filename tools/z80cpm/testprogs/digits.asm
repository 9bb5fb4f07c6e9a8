; Prints the digits 0 to 9 one by one through BDOS function 2, then ends by
; jumping to the warm boot at 0000.
bdos        equ 0005h
consoleOut  equ 2

            org 0100h
            ld b, 10
            ld a, '0'
next:       push af
            push bc
            ld e, a
            ld c, consoleOut
            call bdos
            pop bc
            pop af
            inc a
            djnz next
            jp 0000h
