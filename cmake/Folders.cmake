# The program's folders, one static library each, in layer order from the bottom up: a folder includes
# only from the folders before it. "name:a,b" narrows that to the folders named (comms sits on platform
# alone). A new folder is one word here; the build, the format and lint checks and the layer check
# (cmake/CheckLayers.cmake) all take their folders from this list.
set(OMBREL_LAYERS platform protocol controls printing comms:platform live:platform,protocol settings board app)

set(OMBREL_FOLDERS ${OMBREL_LAYERS})
list(TRANSFORM OMBREL_FOLDERS REPLACE ":.*" "")
# Every folder of C++ sources the format and lint checks read.
set(OMBREL_SOURCE_FOLDERS ${OMBREL_FOLDERS} tests bench)
