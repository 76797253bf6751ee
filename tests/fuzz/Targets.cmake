# The fuzz targets (one .cpp each in tests/fuzz, seed corpus in tests/fuzz/corpus/<target>) and
# the platform-free sources they exercise. Shared by the libFuzzer build (tests/fuzz) and the
# corpus replay of the native build (tests/native/fuzz_replay).
set(PLMO_FUZZ_TARGETS
    catalogue_answer
    service_text
    body_reader
    request_text
    file_name
    tokenizer
    full_width
    version
    large_answer)

set(PLMO_FUZZ_CORE_SOURCES
    framework/Text.cpp
    framework/Mbcs.cpp
    framework/MbcsDefaultNative.cpp
    util/SplitToken.cpp
    util/TextTokenizer.cpp
    util/FullWidth.cpp
    util/PathParts.cpp
    util/VersionNumbers.cpp
    http/RequestText.cpp
    http/BodyReader.cpp
    service/ServiceText.cpp
    service/DottedVersion.cpp
    service/LaunchParameters.cpp
    service/CatalogueAnswer.cpp
    install/InstallerFileName.cpp)
