// Length unit systems.
#pragma once

namespace ON {
enum class LengthUnitSystem : unsigned char {
  None = 0,
  Angstroms = 12,
  Nanometers = 13,
  Microns = 1,
  Millimeters = 2,
  Centimeters = 3,
  Decimeters = 14,
  Meters = 4,
  Dekameters = 15,
  Hectometers = 16,
  Kilometers = 5,
  Megameters = 17,
  Gigameters = 18,
  Microinches = 6,
  Mils = 7,
  Inches = 8,
  Feet = 9,
  Yards = 19,
  Miles = 10,
  PrintersPoints = 20,
  PrintersPicas = 21,
  NauticalMiles = 22,
  AstronomicalUnits = 23,
  LightYears = 24,
  Parsecs = 25,
  CustomUnits = 11,
  Unset = 255
};
}  // namespace ON

class ON_UnitSystem {
 public:
  ON_UnitSystem() = default;
  explicit ON_UnitSystem(ON::LengthUnitSystem units) : m_units(units) {}
  ON::LengthUnitSystem UnitSystem() const { return m_units; }
  void SetUnitSystem(ON::LengthUnitSystem units) { m_units = units; }
  // Metres per unit; unset_return_value for an unset (or "none") unit system.
  double MetersPerUnit(double unset_return_value) const;

 private:
  ON::LengthUnitSystem m_units = ON::LengthUnitSystem::None;
};
