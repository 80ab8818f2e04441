# The network-disk downloads: request documents, naming rules and the prompts that choose the place.
list(APPEND NIMBRA_UIC_SOURCES
  DownloadNames.cpp
  DownloadRequest.cpp)
