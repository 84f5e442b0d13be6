"""Per-group minima and maxima of a plain 16-channel recording with NumPy,
from a memory map: the baseline the engine's full computation is compared
with.  Prints the rate in GB/s (1e9 bytes per second of processor time,
as the engine benchmarks count it).

    numpy_minmax.py PATH SAMPLES_PER_SCAN GROUP_SIZE HEADER_BYTES
"""
import sys
import time

import numpy as np

path, S, group, header = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
channels = 16
block = np.dtype([("stamp", "V24"), ("d", "<u2", (S, channels))])
best = None
for _ in range(3):
    start = time.process_time()
    data = np.memmap(path, dtype=block, mode="r", offset=header + 0)
    groups = data["d"].reshape(data.shape[0], S // group, group, channels)
    lo = groups.min(axis=2)
    hi = groups.max(axis=2)
    elapsed = time.process_time() - start
    best = elapsed if best is None or elapsed < best else best
    del data
size = (len(lo) * block.itemsize)
print("%.3f" % (size / best / 1e9))
