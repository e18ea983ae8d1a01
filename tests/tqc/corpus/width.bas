WIDTH 40, 25
LOCATE 1, 40: PRINT "Z";
LOCATE 2, 1: PRINT STR$(CSRLIN)
'> text 1:                                        Z
'> text 2:  2
