"""Wine's programs, as cmake/wine.env names them for scripts and tests."""
import os

_ENV = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'cmake', 'wine.env')
with open(_ENV) as _f:
    _paths = dict(line.strip().split('=', 1) for line in _f if '=' in line and not line.startswith('#'))
WINE = _paths['WINE']
WINESERVER = _paths['WINESERVER']
