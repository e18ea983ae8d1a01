X = 5
IF X > 3 THEN PRINT "big" ELSE PRINT "small"
IF X = 1 THEN
    PRINT "one"
ELSEIF X = 5 THEN
    PRINT "five"
ELSE
    PRINT "other"
END IF
FOR N = 1 TO 7
    SELECT CASE N
        CASE 1: R$ = R$ + "a"
        CASE 2 TO 3: R$ = R$ + "b"
        CASE IS > 5: R$ = R$ + "c"
        CASE 4, 5: R$ = R$ + "d"
        CASE ELSE: R$ = R$ + "?"
    END SELECT
NEXT
PRINT R$
I = 0
DO
    I = I + 1
LOOP UNTIL I >= 3
PRINT I;
DO WHILE I < 6: I = I + 1: LOOP
PRINT I;
WHILE I > 2: I = I - 2: WEND
PRINT I;
DO: I = I + 10: IF I > 30 THEN EXIT DO
LOOP
PRINT I
SELECT CASE "pear"
    CASE "apple": PRINT "no"
    CASE "orange" TO "zebra": PRINT "range"
END SELECT
'> text 1: big
'> text 2: five
'> text 3: abbddcc
'> text 4:  3  6  2  32
'> text 5: range
