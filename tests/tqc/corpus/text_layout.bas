COLOR 14, 1
PRINT "A"
COLOR 7, 0
LOCATE 5, 10: PRINT "X";
PRINT CSRLIN; POS(0)
LOCATE 10, 1: PRINT "a", "b"; TAB(20); "c"; SPC(2); "d"
LOCATE 12, 5: PRINT "x";: PRINT "y"
LOCATE , 3: PRINT "z"
'> text 1: A
'> attr 1,1: 30
'> attr 5,10: 7
'> text 5:          X 5  14
'> text 10: a             b    c  d
'> text 12:     xy
'> text 13:   z
