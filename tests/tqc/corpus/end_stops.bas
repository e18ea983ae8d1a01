PRINT "a": END: PRINT "b"
PRINT "c"
'> text 1: a
