; ---------------------------------------------------------------------------
; The monitor's texts, each ended by a 0 byte.
; ---------------------------------------------------------------------------

MSG_BANNER:
        DEFB "VANTOREL MONITOR 1.0", CR
        DEFB "RAM TOP ", 0
MSG_STACK:
        DEFB "  STACK ", 0
MSG_HINT:
        DEFB "HE OR ? LISTS THE COMMANDS", CR, 0
MSG_BREAK:
        DEFB "BREAK", CR, 0
MSG_BAD:
        DEFB "BAD ", 0
MSG_RAMOK:
        DEFB "RAM OK", CR, 0
MSG_FAULTS:
        DEFB "BAD BYTES: ", 0
MSG_NOPAC:
        DEFB "NO ROM PAC", BELL, CR, 0
MSG_NOTAPE:
        DEFB "NO TAPE UNIT", CR, 0
MSG_NODRIVER:
        DEFB "UNSUPPORTED", CR, 0
MSG_KEYSEP:
        DEFB ": ", 0
MSG_HELP:
        DEFB "DU a1 [a2]    SHOW MEMORY", CR
        DEFB "EN a          ENTER BYTES (RETURN GOES ON, / ENDS)", CR
        DEFB "MO a1 a2 a3   MOVE a1..a2 TO a3", CR
        DEFB "TE a1 a2      TEST RAM", CR
        DEFB "GO a          CALL THE PROGRAM AT a", CR
        DEFB "PP [x]        START THE ROM PAC (x: COLD START)", CR
        DEFB "SE O=V I=V    OUTPUT AND INPUT: V SCREEN/KEYS, OR AN ADDRESS", CR
        DEFB "HE OR ?       THIS LIST", CR
        DEFB "NUMBERS ARE HEX. CTRL-C OR RUN/STOP STOPS A LISTING.", CR, 0
