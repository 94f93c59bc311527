"""Prints the directory below PREFIX where this Python looks for modules:
the first entry of sys.path inside PREFIX/lib (Debian's Python has
/usr/lib/python3/dist-packages, /usr/local/lib/python3.X/dist-packages and the
user site ~/.local/lib/python3.X/site-packages), else the prefix's standard
site-packages directory.

  python3 install_dir.py PREFIX"""
import os
import site
import sys
import sysconfig

prefix = os.path.abspath(os.path.expanduser(sys.argv[1]))
library = os.path.join(prefix, 'lib') + os.sep
candidates = list(sys.path)
if site.ENABLE_USER_SITE:
    candidates.append(site.getusersitepackages())
for entry in candidates:
    if entry and os.path.abspath(entry).startswith(library) and os.path.basename(entry) in ('dist-packages', 'site-packages'):
        print(os.path.abspath(entry))
        break
else:
    print(sysconfig.get_path('platlib', 'posix_prefix', vars={'base': prefix, 'platbase': prefix}))
