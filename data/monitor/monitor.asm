; ===========================================================================
; Vantorel monitor 1.0: the 4K ROM at E000-EFFF of our Sorcerer-compatible
; machine. Written from scratch for Vantorel; assembled by pasmo at build time.
;
; After a reset the processor reads its first instruction from the start of
; this ROM (the machine maps the ROM's first three bytes at 0000 for the
; first three reads), so the JP below leads to the cold start.
;
; Entry points for programs (all need IY pointing at the monitor's work
; area, as it is when the monitor runs a program):
;   E000  COLD     cold start: probe RAM, load graphics, clear, banner
;   E003  WARM     warm start: back to the prompt (stack reset)
;   E006  PRINTS   print the 0-terminated text at HL; out: HL after the 0.
;                  Uses AF, HL.
;   E009  PRHEX    print A as two hex digits. Uses AF.
;   E00C  PRWORD   print HL as four hex digits. Uses AF.
;   E00F  CRLF     start a new line. Uses AF.
;   E012  GETLINE  read a line with editing into the work area; out: HL =
;                  the text (ended by 0Dh), B = its length, carry set when
;                  abandoned with CTRL-C or RUN/STOP. Uses AF, B, HL.
;   E015  KEYCHK   look at the keyboard once, without waiting: Z and A = 0
;                  when no key was pressed, else NZ and the code in A.
;                  Uses AF.
;   E018  KEYWAIT  wait for a key, showing the cursor; out: A = code.
;                  Uses AF.
;   E01B  SCREENOUT write the character in A to the screen at the cursor.
;                  Keeps every register.
;   E01E  TAPEOUT  send A to the tape. Keeps every register.
;   E021  TAPEIN   wait for a byte from the tape; out: A. Uses AF.
;                  Both switch on the motor of the tape unit used last (1
;                  unless SA, LO or FI named 2); it stops at the prompt.
;                  CTRL-C or RUN/STOP while they wait goes to the prompt.
;   E024  PRINTOUT send A to the printer on the parallel port. Keeps every
;                  register.
; PRINTS, PRHEX, PRWORD and CRLF go through the output routing (SE O=, where
; L and P name the printer);
; KEYCHK, KEYWAIT and SCREENOUT always use the keyboard and the screen.
; ===========================================================================

        INCLUDE "constants.asm"

        ORG 0E000h

ENTRY_COLD:     JP COLD
ENTRY_WARM:     JP WARM
ENTRY_PRINTS:   JP PRINTS
ENTRY_PRHEX:    JP PRHEX
ENTRY_PRWORD:   JP PRWORD
ENTRY_CRLF:     JP CRLF
ENTRY_GETLINE:  JP GETLINE
ENTRY_KEYCHK:   JP KEYCHK
ENTRY_KEYWAIT:  JP KEYWAIT
ENTRY_SCREEN:   JP SCREENOUT
ENTRY_TAPEOUT:  JP TAPEOUT
ENTRY_TAPEIN:   JP TAPEIN
ENTRY_PRINTOUT: JP PRINTOUT

        INCLUDE "reset.asm"
        INCLUDE "screen.asm"
        INCLUDE "keyboard.asm"
        INCLUDE "lineinput.asm"
        INCLUDE "commands.asm"
        INCLUDE "cmd_memory.asm"
        INCLUDE "cmd_control.asm"
        INCLUDE "cmd_tape.asm"
        INCLUDE "print.asm"
        INCLUDE "messages.asm"

; The 64 standard graphics (codes 80-BF), drawn in graphics.txt and turned
; into bytes by the build; the cold start copies them to FC00-FDFF.
GRAPHICS:
        INCBIN "graphics.bin"
GRAPHICS_END:

ROM_END:
        IF ROM_END GT 0F000h
        .ERROR The monitor does not fit in its 4K ROM
        ENDIF
        IF GRAPHICS_END - GRAPHICS NE 512
        .ERROR graphics.bin must hold 512 bytes
        ENDIF

; Fill the rest of the ROM with FF, like an unprogrammed EPROM.
        DEFS 0F000h - ROM_END, 0FFh

        END
