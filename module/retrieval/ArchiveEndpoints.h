// The two remote endpoints the retrieval reads from, both HTTPS on port 443.
#pragma once

// The survey index server, the maker's own web host, and the index's path on it.
inline constexpr char kSurveyIndexHost[] = "index.mardel.invalid";
inline constexpr char kSurveyIndexPath[] = "/mardel-anywhere/datasets.txt";
inline constexpr char kSurveyIndexFileName[] = "datasets.txt";

// The public object store holding the USGS 3DEP Entwine Point Tile archive. Every survey is
// a folder below the archive root: the archive root, the survey name and "/".
inline constexpr char kArchiveHost[] = "s3-us-west-2.amazonaws.com";
inline constexpr char kArchivePath[] = "/usgs-lidar-public/";
inline constexpr char kArchiveRoot[] = "https://s3-us-west-2.amazonaws.com/usgs-lidar-public/";
