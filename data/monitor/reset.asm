; ---------------------------------------------------------------------------
; Cold start, warm start and the command loop's top.
; ---------------------------------------------------------------------------

; FINDRAM: sets HL to the first address above the RAM that runs without a
; gap from 0000 (a multiple of 256, at most C000). Each page is probed at its
; first byte: invert it, check that it reads back inverted, and put the
; original back, so the RAM keeps its contents. Addresses without RAM read FF
; and a ROM PAC reads its own bytes, so the inverted value never comes back
; from either. Uses no stack: it runs before the RAM is known.
FINDRAM MACRO
        LOCAL probe, found
        ld hl,0
probe:  ld a,(hl)
        cpl
        ld (hl),a
        cp (hl)                 ; Z when the inverted byte came back
        cpl
        ld (hl),a               ; the original byte again (CPL keeps Z)
        jr nz,found
        inc h
        ld a,h
        cp HIGH RAMLIMIT
        jr nz,probe
found:
        ENDM

; WORKAREA: from HL = top of RAM, points IY at the work area (the top
; WORKSIZE bytes) and SP just below it.
WORKAREA MACRO
        ld de,-WORKSIZE
        add hl,de
        ld sp,hl                ; first the stack: SP may still point at ROM
        push hl
        pop iy
        ENDM

; COLD (E000, and 0000 after every reset): set up the monitor from nothing.
COLD:
        di
        FINDRAM
        WORKAREA
        ld de,WORKSIZE
        add hl,de
        ld (iy+RAMTOP),l
        ld (iy+RAMTOP+1),h
        call RESETROUTES
        call RESETKEYS
        xor a
        ld (iy+AFTERCR),a
        ld (iy+TAPELATCH),a     ; 300 baud, motors off
        ld (iy+TAPETYPE),a
        ld (iy+TAPEGOSET),a
        ld (iy+TAPEUNIT),10h    ; unit 1
        call LOADGRAPHICS
        call CLEARSCREEN
        call PACPRESENT
        jp z,PAC_COLD           ; a ROM PAC is plugged in: it takes over
        call BANNER
        jr MAINLOOP

; WARM (E003): back to the prompt. IY and the stack are worked out again
; from the RAM, so a program that lost them can still come home.
WARM:
        FINDRAM
        WORKAREA
        call FIXCURSOR

; MAINLOOP: prompt, read a command line, carry it out, and again. The stack
; starts afresh for every command, so a command may leave it at any depth;
; the tape motors stop (a tape command may have been broken off).
MAINLOOP:
        push iy
        pop hl
        ld sp,hl
        call MOTOROFF
        call FRESHLINE
        ld a,'>'
        call OUTCHAR
        call GETLINE
        jr c,ML_ABANDONED
        call EXECUTE
        jr MAINLOOP
ML_ABANDONED:
        call FRESHLINE
        jr MAINLOOP

; RESETROUTES: output to the screen, input from the keyboard. Uses HL.
RESETROUTES:
        ld hl,SCREENOUT
        ld (iy+OUTVEC),l
        ld (iy+OUTVEC+1),h
        ld hl,KEYWAIT
        ld (iy+INVEC),l
        ld (iy+INVEC+1),h
        ret

; LOADGRAPHICS: copy the standard graphics to FC00-FDFF. Uses BC, DE, HL.
LOADGRAPHICS:
        ld hl,GRAPHICS
        ld de,GRAPHICS_RAM
        ld bc,GRAPHICS_END - GRAPHICS
        ldir
        ret

; PACPRESENT: Z when a ROM PAC is plugged in (JP instructions at DFFA and
; DFFD). Uses AF.
PACPRESENT:
        ld a,(PAC_WARM)
        cp 0C3h
        ret nz
        ld a,(PAC_COLD)
        cp 0C3h
        ret

; BANNER: the monitor's name, the top of RAM and the stack address.
BANNER:
        ld hl,MSG_BANNER
        call PRINTS
        ld l,(iy+RAMTOP)
        ld h,(iy+RAMTOP+1)
        dec hl
        call PRWORD             ; last RAM address
        ld hl,MSG_STACK
        call PRINTS
        push iy
        pop hl
        call PRWORD             ; where the stack starts
        call CRLF
        ld hl,MSG_HINT
        jp PRINTS
