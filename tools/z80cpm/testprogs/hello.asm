; Prints a greeting through BDOS function 9, then returns to CP/M with RET.
bdos        equ 0005h
printString equ 9

            org 0100h
            ld de, message
            ld c, printString
            call bdos
            ret

message:    db 'Hello from Vantorel', 13, 10, '$'
