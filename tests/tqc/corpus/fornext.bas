' FOR loops: the variable holds the first value past the end when the loop is left.
FOR I = 1 TO 3: NEXT I: PRINT I
FOR I% = 10 TO 1 STEP -3: NEXT: PRINT I%
FOR J = 5 TO 1: NEXT J: PRINT J
FOR K = 0 TO 1 STEP 0.25: N = N + 1: NEXT: PRINT K; N
S& = 0: FOR I& = 1 TO 100: S& = S& + I&: NEXT: PRINT S&; I&
FOR I% = 1 TO 3: FOR J% = 1 TO 2: C% = C% + 1: NEXT J%, I%: PRINT C%; I%; J%
FOR I = 1 TO 10: IF I = 3 THEN EXIT FOR
NEXT: PRINT I
FOR I% = 32766 TO 32767: NEXT
FOR D# = 1 TO 2 STEP 0.5: T# = T# + D#: NEXT: PRINT T#; D#
'> text 1:  4
'> text 2: -2
'> text 3:  5
'> text 4:  1.25  5
'> text 5:  5050  101
'> text 6:  6  4  3
'> text 7:  3
'> error 6 line 10
'> text 8:  4.5  2.5
