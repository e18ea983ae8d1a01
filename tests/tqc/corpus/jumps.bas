GOSUB Greet
GOSUB 100
N = 2: ON N GOTO First, Second
First: PRINT "first": GOTO Done
Second: PRINT "second"
Done:
FOR K = 1 TO 4: ON K GOSUB A1, A2, A3: NEXT
PRINT T$
IF N = 2 THEN 200
PRINT "skipped"
200 IF N = 2 GOTO 300 ELSE PRINT "wrong"
300 IF N > 1 THEN IF N > 5 THEN PRINT "x" ELSE PRINT "inner else"
RETURN
PRINT "end"
END
PRINT "never"
Greet: PRINT "hello": RETURN
100 PRINT "hundred": RETURN
A1: T$ = T$ + "1": RETURN
A2: T$ = T$ + "2": RETURN
A3: T$ = T$ + "3": RETURN
'> text 1: hello
'> text 2: hundred
'> text 3: second
'> text 4: 123
'> text 5: inner else
'> error 3 line 13
'> text 6: end
