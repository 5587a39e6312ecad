"""Starts Orca from its own command-line script, /usr/bin/orca, in this process:
    /usr/bin/python3 launch-orca.py [orca's options...]
Orca refuses to start while another Orca of the same user runs (a developer's own screen
reader, or another test run), and renames its process to "orca", which would make a later
run see this one. Both are turned off here; the rest is Orca's own main().
"""

import importlib.machinery
import importlib.util
import sys

ORCA = '/usr/bin/orca'

loader = importlib.machinery.SourceFileLoader('orca_command', ORCA)
module = importlib.util.spec_from_loader('orca_command', loader)
command = importlib.util.module_from_spec(module)
loader.exec_module(command)

command.otherOrcas = lambda: []
command.setProcessName = lambda name: False
sys.argv = [ORCA] + sys.argv[1:]
sys.exit(command.main())
