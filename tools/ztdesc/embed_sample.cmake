# Writes the sample description as a C++ string constant.
file(READ "${INPUT}" text)
file(WRITE "${OUTPUT}" "// Generated from samples/sample.cfg\nextern const char kZTSampleDesc[];\nconst char kZTSampleDesc[] = R\"ZTSAMPLE(${text})ZTSAMPLE\";\n")
