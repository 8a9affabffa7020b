# Replays the saved fuzz corpora (fuzz/corpus/<target>/) through each fuzz target.
include(${PROJECT_SOURCE_DIR}/fuzz/replay.cmake)
