READ A, B$, C%
PRINT A; B$; C%
RESTORE Second
READ D, W$
PRINT D; W$
RESTORE
READ E
PRINT E
RESTORE Second
READ D, W$, X
PRINT "end"
DATA 1.5, "hi, there", 7
Second:
DATA 42, word
'> text 1:  1.5 hi, there 7
'> text 2:  42 word
'> text 3:  1.5
'> error 4 line 10
'> text 4: end
