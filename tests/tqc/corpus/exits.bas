FOR I = 1 TO 3
    FOR J = 1 TO 3
        IF J = 2 THEN EXIT FOR
        C = C + 1
    NEXT J
NEXT I
PRINT C; I; J
CALL Early(5)
PRINT Half(9)
SYSTEM
PRINT "never"
SUB Early (N)
    DO
        N = N - 1
        IF N < 3 THEN EXIT SUB
    LOOP
END SUB
FUNCTION Half (V)
    Half = V / 2
    IF V > 0 THEN EXIT FUNCTION
    Half = 0
END FUNCTION
'> text 1:  3  4  2
'> text 2:  4.5
