; ---------------------------------------------------------------------------
; Command lines: the first two letters name the command (upper or lower
; case); what follows them is its arguments. Numbers are hexadecimal, up to
; FFFF, separated by spaces or commas.
; ---------------------------------------------------------------------------

; The command table: two letters, the fewest and most hex numbers the
; command takes (FF: it reads its own arguments from HL), the handler.
; A handler of numbers gets A = how many, HL, DE, BC = the first three
; (a missing one is 0); it checks them, starts a new line and does its work.
CMDTABLE:
        DEFB 'D','U', 1, 2
        DEFW CMD_DUMP
        DEFB 'E','N', 1, 1
        DEFW CMD_ENTER
        DEFB 'M','O', 3, 3
        DEFW CMD_MOVE
        DEFB 'T','E', 2, 2
        DEFW CMD_TEST
        DEFB 'G','O', 1, 1
        DEFW CMD_GO
        DEFB 'P','P', 0FFh, 0
        DEFW CMD_PAC
        DEFB 'S','E', 0FFh, 0
        DEFW CMD_SET
        DEFB 'H','E', 0FFh, 0
        DEFW CMD_HELP
        DEFB 'S','A', 0FFh, 0
        DEFW CMD_SAVE
        DEFB 'L','O', 0FFh, 0
        DEFW CMD_LOAD
        DEFB 'F','I', 0, 1
        DEFW CMD_FILES
        DEFB 'C','R', 0FFh, 0
        DEFW CMD_BATCH
        DEFB 'L','I', 0FFh, 0
        DEFW CMD_BATCH
        DEFB 'B','A', 0FFh, 0
        DEFW CMD_BATCH
        DEFB 'O','V', 0FFh, 0
        DEFW CMD_BATCH
        DEFB 0

; EXECUTE: carry out the command line at HL.
EXECUTE:
        call SKIPDELIM
        cp CR
        jp z,CRLF               ; an empty line: just a new prompt
        cp '?'
        jr nz,EX_LETTERS
        inc hl
        jp CMD_HELP
EX_LETTERS:
        call UPPER
        ld b,a
        inc hl
        ld a,(hl)
        call UPPER
        ld c,a
        inc hl
        ex de,hl                ; DE = the arguments
        ld hl,CMDTABLE
EX_FIND:
        ld a,(hl)
        or a
        jp z,ERRMARK            ; no such command
        cp b
        jr nz,EX_SKIP
        inc hl
        ld a,(hl)
        dec hl
        cp c
        jr z,EX_FOUND
EX_SKIP:
        ld a,6
        add a,l
        ld l,a
        jr nc,EX_FIND
        inc h
        jr EX_FIND
EX_FOUND:
        inc hl
        inc hl
        ld b,(hl)               ; fewest numbers, or FF
        inc hl
        ld c,(hl)               ; most numbers
        inc hl
        ld a,(hl)
        inc hl
        ld h,(hl)
        ld l,a
        push hl                 ; the handler: the RET below goes there
        ex de,hl                ; HL = the arguments
        ld a,b
        inc a
        ret z                   ; it reads its own arguments
        call GETARGS
        jp c,ERRMARK
        cp b
        jp c,ERRMARK            ; too few
        ld e,a
        ld a,c
        cp e
        jp c,ERRMARK            ; too many
        ld a,e
        ld l,(iy+ARG1)
        ld h,(iy+ARG1+1)
        ld e,(iy+ARG2)
        ld d,(iy+ARG2+1)
        ld c,(iy+ARG3)
        ld b,(iy+ARG3+1)
        ret

; GETARGS: read up to three hex numbers from HL into ARG1-ARG3. Out: A =
; how many; carry set when the text is not all numbers or there are more
; than three. Uses AF, DE, HL.
GETARGS:
        push bc
        push hl
        push iy
        pop hl
        ld bc,ARG3 + 2
        add hl,bc
        ld b,ARG3 + 2 - ARGCOUNT
GA_ZERO:
        dec hl                  ; ARGCOUNT and ARG1-ARG3 = 0
        ld (hl),0
        djnz GA_ZERO
        inc hl
        ld b,h
        ld c,l                  ; BC = where the next number goes
        pop hl
GA_NEXT:
        call SKIPDELIM
        cp CR
        jr z,GA_DONE
        ld a,(iy+ARGCOUNT)
        cp 3
        jr z,GA_FAIL
        call GETHEX
        jr c,GA_FAIL
        ld a,e
        ld (bc),a
        inc bc
        ld a,d
        ld (bc),a
        inc bc
        inc (iy+ARGCOUNT)
        jr GA_NEXT
GA_DONE:
        ld a,(iy+ARGCOUNT)
        pop bc
        or a                    ; carry clear
        ret
GA_FAIL:
        pop bc
        scf
        ret

; GETHEX: read a hex number at HL into DE; HL moves past it. The number must
; end at a space, comma, '/' or the end of the line. Carry set when there is
; no digit, a character that does not belong, or more than FFFF. Uses AF,
; DE, HL.
GETHEX:
        ld de,0
        call HEXDIGIT
        ret c                   ; not even one digit
GH_DIGIT:
        push af                 ; DE = DE * 16 + digit, watching for overflow
        ld a,d
        and 0F0h
        jr nz,GH_OVER
        ld a,d
        add a,a
        add a,a
        add a,a
        add a,a
        ld d,a
        ld a,e
        rrca
        rrca
        rrca
        rrca
        ld e,a
        and 0Fh
        or d
        ld d,a
        ld a,e
        and 0F0h
        ld e,a
        pop af
        or e
        ld e,a
        inc hl
        call HEXDIGIT
        jr nc,GH_DIGIT
        ld a,(hl)               ; what ends the number
        call ISDELIM
        ret z
        cp '/'
        ret z
        scf
        ret
GH_OVER:
        pop af
        scf
        ret

; HEXDIGIT: the value of the hex digit at HL in A, or carry. Uses AF.
HEXDIGIT:
        ld a,(hl)
        call UPPER
        sub '0'
        ret c
        cp 10
        ccf
        ret nc
        sub 'A' - '0'
        ret c
        cp 6
        ccf
        ret c
        add a,10
        ret

; ISDELIM: Z when A is a space, a comma or the end of the line. Uses F.
ISDELIM:
        cp ' '
        ret z
        cp ','
        ret z
        cp CR
        ret

; SKIPDELIM: move HL past spaces and commas; out: A = the character there.
; Uses AF, HL.
SKIPDELIM:
        ld a,(hl)
        cp ' '
        jr z,SD_ON
        cp ','
        ret nz
SD_ON:
        inc hl
        jr SKIPDELIM

; ERRMARK: the error mark after the command line, then back to the prompt.
ERRMARK:
        call PRINTERR
        jp MAINLOOP

; PRINTERR: the error mark: " ?" and the bell. Uses AF.
PRINTERR:
        ld a,' '
        call OUTCHAR
        ld a,'?'
        call OUTCHAR
        ld a,BELL
        jp OUTCHAR

; BREAKCHK: look at the keyboard between lines of long output; CTRL-C or
; RUN/STOP ends the command with "BREAK". Keeps every register.
BREAKCHK:
        push af
        push bc
        push de
        push hl
        call KEYSTEP
        cp CTRL_C
        jr z,BREAK
        cp ESC
        jr z,BREAK
        pop hl
        pop de
        pop bc
        pop af
        ret
BREAK:
        ld hl,MSG_BREAK

; QUIT: the message at HL on a line of its own, then back to the prompt.
QUIT:
        call FRESHLINE
        call PRINTS
        jp MAINLOOP

; CHECKORDER: carry set unless DE >= HL (an address range a1 a2 must not run
; backwards). Uses AF.
CHECKORDER:
        ex de,hl
        or a
        sbc hl,de
        add hl,de
        ex de,hl
        ret
