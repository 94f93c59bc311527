import sys
print("0 passed, 0 failed")
