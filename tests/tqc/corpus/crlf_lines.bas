10 PRINT "a"; _
     "b"
20 X% = 1: Y% = X% \ 0
30 PRINT "c" ' lines end in CR LF
'> error 11 line 3
'> text 1: ab
'> text 2: c
