A% = 32767
A% = A% + 1
PRINT A%
B& = 2147483647
B& = B& * 2
PRINT B&
F = 40000: C% = F
X = 1 \ 0
Y% = 5 MOD (A% - A%)
Z% = -32768: Z% = -Z%
PRINT "after"; C%; X
' Overflow leaves the target as it was; division by zero is an ordinary error with its line.
'> error 6 line 2
'> error 6 line 5
'> error 6 line 7
'> error 11 line 8
'> error 11 line 9
'> error 6 line 10
'> text 1:  32767
'> text 2:  2147483647
'> text 3: after 0  0
