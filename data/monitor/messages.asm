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
MSG_TAPEERR:
        DEFB "TAPE ERROR", BELL, CR, 0
MSG_NODRIVER:
        DEFB "UNSUPPORTED", CR, 0
MSG_KEYSEP:
        DEFB ": ", 0
MSG_HELP:
        DEFB "DU a1 [a2]", TAB, "SHOW MEMORY", CR
        DEFB "EN a", TAB, TAB, "ENTER BYTES (/ ENDS)", CR
        DEFB "MO a1 a2 a3", TAB, "MOVE a1..a2 TO a3", CR
        DEFB "TE a1 a2", TAB, "TEST RAM", CR
        DEFB "GO a", TAB, TAB, "CALL THE PROGRAM AT a", CR
        DEFB "PP [x]", TAB, TAB, "START THE ROM PAC (x: COLD START)", CR
        DEFB "SE O=V I=V", TAB, "O/I: V SCREEN/KEYS, L PRINTER, OR ADDRESS", CR
        DEFB "SA n a1 a2 [u]", TAB, "SAVE a1..a2 AS n ON TAPE UNIT u (1/2)", CR
        DEFB "LO [n] [u]", TAB, "LOAD n OR THE NEXT FILE; LOG RUNS IT", CR
        DEFB "FI [u]", TAB, TAB, "LIST THE FILES ON TAPE", CR
        DEFB "SE T=0 T=1", TAB, "TAPE 1200/300 BAUD; FOR SA: X=a GO, F=t TYPE", CR
        DEFB "HE OR ?", TAB, TAB, "THIS LIST", CR
        DEFB "NUMBERS ARE HEX. CTRL-C OR RUN/STOP BREAKS OFF.", CR, 0
