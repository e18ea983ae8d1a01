T = TIMER: IF T >= 0 AND T < 86400 THEN PRINT "timer"
K$ = INKEY$: PRINT LEN(K$); _KEYHIT; _KEYDOWN(32)
SLEEP 1
SLEEP
_DELAY 0.5
_LIMIT 30
RANDOMIZE 7
R = RND: IF R >= 0 AND R < 1 THEN PRINT "rnd"
S = RND(0): IF S = R THEN PRINT "again"
RANDOMIZE TIMER
'> text 1: timer
'> text 2:  0  0  0
'> text 3: rnd
'> text 4: again
'> slept
