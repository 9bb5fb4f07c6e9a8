; ---------------------------------------------------------------------------
; Control commands: GO, PP, SE, HE (or ?), and the tape commands.
; ---------------------------------------------------------------------------

; GO a: call the program at a. IY still points at the work area, so the
; program may use the entry points at E000; its RET comes back to the prompt.
CMD_GO:
        call CRLF
GO_RUN:
        ld de,WARM
        push de
        jp (hl)

; PP [x]: start the ROM PAC at its warm start (DFFA), or with any argument
; at its cold start (DFFD). The text after PP is at HL.
CMD_PAC:
        call CRLF
        call PACPRESENT
        jr nz,PP_NONE
        call SKIPDELIM
        cp CR
        jp z,PAC_WARM
        jp PAC_COLD
PP_NONE:
        ld hl,MSG_NOPAC
        jp PRINTS

; SE k=v ...: settings, at HL. O=V sends the monitor's output to the screen,
; O=aaaa to a routine at aaaa (called with the character in A); I=V takes
; its input from the keyboard, I=aaaa from a routine at aaaa (which returns
; a character in A). O=L (Centronics printer) and O=P (parallel port) send
; the output to the printer (PRINTOUT); nothing reads from a printer, and
; serial (S) has no driver. T=0 sets the tape to 1200 baud, T=1 to 300; X=aaaa is the go
; address and F=hh the file type that the next SA writes. The line is
; looked over first and carried out only when all of it makes sense.
CMD_SET:
        ld (iy+PASS),0
        push hl
        call SE_ITEMS
        pop hl
        jp c,ERRMARK
        call CRLF
        ld (iy+PASS),1

; SE_ITEMS: the k=v items at HL; carry when one makes no sense or there is
; none. Uses AF, BC, DE, HL.
SE_ITEMS:
        ld c,0                  ; items seen
SE_NEXT:
        call SKIPDELIM
        cp CR
        jr nz,SE_ITEM
        ld a,c
        or a
        ret nz
        scf                     ; SE alone
        ret
SE_ITEM:
        inc c
        call UPPER
        ld b,a                  ; B = the key
        inc hl
        ld a,(hl)
        cp '='
        scf
        ret nz
        inc hl
        ld a,b
        cp 'O'
        jr z,SE_ROUTE
        cp 'I'
        jr z,SE_ROUTE
        cp 'T'
        jr z,SE_TAPE
        cp 'X'
        jr z,SE_TAPE
        cp 'F'
        scf
        ret nz
SE_TAPE:
        push bc
        call GETHEX             ; DE = the value
        pop bc
        ret c
        ld a,b
        cp 'X'
        jr z,SE_APPLY           ; any address
        ld a,d
        or a
        scf
        ret nz                  ; T and F take a byte
        ld a,b
        cp 'F'
        jr z,SE_APPLY
        ld a,e                  ; T: 0 or 1
        cp 2
        ccf
        ret c
        jr SE_APPLY
SE_ROUTE:
        ld a,(hl)
        call UPPER
        ld e,a                  ; E = a device letter, perhaps
        inc hl
        ld a,(hl)
        dec hl
        call ISDELIM
        jr nz,SE_ADDRESS        ; more than one letter: an address
        ld a,e
        cp 'V'
        jr z,SE_DEVICE
        cp 'P'
        jr z,SE_PRINTER
        cp 'L'
        jr z,SE_PRINTER
        cp 'S'
        jr z,SE_NODRIVER
SE_ADDRESS:
        push bc
        call GETHEX             ; DE = the routine's address
        pop bc
        ret c
        jr SE_APPLY
SE_DEVICE:
        inc hl
        ld de,SCREENOUT
        ld a,b
        cp 'O'
        jr z,SE_APPLY
        ld de,KEYWAIT
SE_APPLY:
        ld a,(iy+PASS)
        or a
        jp z,SE_NEXT
        ld a,b
        cp 'O'
        jr z,SE_OUTPUT
        cp 'I'
        jr z,SE_INPUT
        cp 'X'
        jr z,SE_GOADDR
        cp 'F'
        jr z,SE_TYPE
        set 6,(iy+TAPELATCH)    ; T=0: 1200 baud
        bit 0,e
        jr z,SE_SPEED
        res 6,(iy+TAPELATCH)    ; T=1: 300 baud
SE_SPEED:
        jp SE_NEXT
SE_TYPE:
        ld (iy+TAPETYPE),e
        jp SE_NEXT
SE_GOADDR:
        ld (iy+TAPEGOSET),1
        ld (iy+TAPEGO),e
        ld (iy+TAPEGO+1),d
        jp SE_NEXT
SE_OUTPUT:
        ld (iy+OUTVEC),e
        ld (iy+OUTVEC+1),d
        jp SE_NEXT
SE_INPUT:
        ld (iy+INVEC),e
        ld (iy+INVEC+1),d
        jp SE_NEXT
SE_PRINTER:
        ld a,b
        cp 'O'
        jr nz,SE_NODRIVER       ; a printer gives no input
        inc hl
        ld de,PRINTOUT
        jr SE_APPLY
SE_NODRIVER:
        inc hl
        ld de,MSG_NODRIVER
SE_SAY:
        ld a,(iy+PASS)          ; messages only when carrying the line out
        or a
        jp z,SE_NEXT
        ld a,b                  ; "k: " and the message
        call OUTCHAR
        push hl
        ld hl,MSG_KEYSEP
        call PRINTS
        ex de,hl
        call PRINTS
        pop hl
        jp SE_NEXT

; SKIPWORD: move HL to the next space, comma or end of line. Uses AF, HL.
SKIPWORD:
        ld a,(hl)
        call ISDELIM
        ret z
        inc hl
        jr SKIPWORD

; HE or ?: the list of commands.
CMD_HELP:
        call CRLF
        ld hl,MSG_HELP
        jp PRINTS

; CR, LI, BA, OV: batch tapes of commands are not supported.
CMD_BATCH:
        call CRLF
        ld hl,MSG_NODRIVER
        jp PRINTS
