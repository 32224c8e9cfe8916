#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "geo/DatumShift.h"

extern char** environ;

namespace sheetbasis {
namespace {

// PROJ's counterpart of the datum shift: Krasovsky geocentric, coordinate-frame Helmert,
// GSK-2011 ellipsoid back to geographic.
const std::vector<std::string> PROJ_PIPELINE{"+proj=pipeline",
                                             "+step",
                                             "+proj=unitconvert",
                                             "+xy_in=deg",
                                             "+xy_out=rad",
                                             "+step",
                                             "+proj=cart",
                                             "+ellps=krass",
                                             "+step",
                                             "+proj=helmert",
                                             "+x=23.56",
                                             "+y=-140.86",
                                             "+z=-79.77",
                                             "+rx=-0.001738",
                                             "+ry=-0.346441",
                                             "+rz=-0.794263",
                                             "+s=-0.2274",
                                             "+convention=coordinate_frame",
                                             "+step",
                                             "+inv",
                                             "+proj=cart",
                                             "+a=6378136.5",
                                             "+rf=298.2564151",
                                             "+step",
                                             "+proj=unitconvert",
                                             "+xy_in=rad",
                                             "+xy_out=deg"};

// Runs cct (found on PATH, no shell involved) on the file `input`, its standard output
// going to `output`. True when it ran and exited with 0.
bool runCct(const std::filesystem::path& input, const std::filesystem::path& output) {
    std::vector<std::string> args{"cct", "-d", "12", "-z", "0", "-t", "0"};
    args.insert(args.end(), PROJ_PIPELINE.begin(), PROJ_PIPELINE.end());
    args.push_back(input.string());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "cct", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// The points as PROJ's pipeline transforms them; empty when cct could not run.
std::vector<Point> transformWithCct(const std::vector<Point>& points) {
    const std::filesystem::path dir =
        std::filesystem::path(testing::TempDir()) / ("geometry_cct_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path input = dir / "in.txt";
    const std::filesystem::path output = dir / "out.txt";
    {
        std::ofstream in(input);
        in.precision(17);
        for (const Point& p : points) in << p.x << ' ' << p.y << '\n';
    }
    std::vector<Point> result;
    if (runCct(input, output)) {
        std::ifstream out(output);
        std::string line;
        while (std::getline(out, line)) {
            std::istringstream fields(line);
            Point p;
            if (fields >> p.x >> p.y) result.push_back(p);
        }
    }
    std::filesystem::remove_all(dir);
    return result;
}

// Difference of two longitudes in degrees, whatever scale (0..360 or -180..180) each uses.
double longitudeDifference(double a, double b) {
    return std::remainder(a - b, 360.0);
}

TEST(DatumShiftTest, ReferencePoints) {
    struct Case {
        Point sk42;
        Point gsk2011;
    };
    // Expected values are given to 7 decimals, so they hold within half a unit of the 7th.
    constexpr double HALF_LAST_DECIMAL = 0.5e-7;  // degree
    for (const Case& c :
         {Case{{30, 60}, {29.9977399, 59.9999696}}, Case{{132, 44}, {132.0011092, 44.0003262}},
          Case{{-30, 60}, {329.9983277, 59.9988742}}}) {
        const Point p = sk42ToGsk2011(c.sk42);
        EXPECT_NEAR(p.x, c.gsk2011.x, HALF_LAST_DECIMAL) << c.sk42.x << ' ' << c.sk42.y;
        EXPECT_NEAR(p.y, c.gsk2011.y, HALF_LAST_DECIMAL) << c.sk42.x << ' ' << c.sk42.y;
    }
}

TEST(DatumShiftTest, AgreesWithProj) {
    constexpr double AGREEMENT = 1e-8;  // degree, about a millimetre on the ground
    std::vector<Point> grid;
    for (int lon = 0; lon <= 360; lon += 15) {
        for (int lat = 36; lat <= 88; lat += 4) grid.push_back({double(lon), double(lat)});
    }
    const std::vector<Point> proj = transformWithCct(grid);
    ASSERT_EQ(proj.size(), grid.size()) << "cct (package proj-bin) did not run";
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const Point p = sk42ToGsk2011(grid[i]);
        EXPECT_GE(p.x, 0.0);
        EXPECT_LE(p.x, 360.0);
        EXPECT_NEAR(longitudeDifference(p.x, proj[i].x), 0.0, AGREEMENT)
            << grid[i].x << ' ' << grid[i].y;
        EXPECT_NEAR(p.y, proj[i].y, AGREEMENT) << grid[i].x << ' ' << grid[i].y;
    }
}

TEST(DatumShiftTest, EndsOnUnusableInput) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const Point& input : {Point{nan, 50}, Point{30, nan}, Point{inf, 50}, Point{30, -inf}}) {
        const Point p = sk42ToGsk2011(input);
        EXPECT_TRUE(std::isnan(p.x) || std::isnan(p.y)) << input.x << ' ' << input.y;
    }
    // Near the poles and on the equator the shift still lands next to the input.
    for (const Point& input : {Point{45, 90}, Point{200, -90}, Point{10, 0}, Point{180, 0}}) {
        const Point p = sk42ToGsk2011(input);
        EXPECT_NEAR(p.y, input.y, 0.01) << input.x << ' ' << input.y;
    }
}

}  // namespace
}  // namespace sheetbasis
