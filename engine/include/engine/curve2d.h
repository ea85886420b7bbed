// GkCurve2d: the abstract base of every curve of the library (line
// segments, circular arcs, composite curves, polylines), with the sampling
// sinks through which curves hand out points.
//
// Composite curves and shapes hold their members through GkCurve2d pointers
// and answer every query through these virtual operations, so their order
// and signatures are the contract between all curve classes: do not reorder.
//
// The base carries a bounding-box cache. A concrete curve sets boxOutOfDate
// whenever its geometry changes; GetBoundBox recomputes cachedBox only when
// the flag is set, then clears it. Queries therefore write the cache: one
// curve object is never used from two threads at once.
#pragma once

#include <engine/boundbox2d.h>
#include <engine/engine_export.h>
#include <engine/matrix2d.h>
#include <engine/point2d.h>
#include <engine/tolerance.h>

#include <vector>

class AcGeCircArc2d;
class AcGeLineSeg2d;

enum GkCurveType {
  kCrvLineSeg = 0,    // AcGeLineSeg2d
  kCrvArc = 1,        // AcGeCircArc2d (arc or full circle)
  kCrvComposite = 2,  // GkCompositeCurve2d
  kCrvPolyline = 3    // GkPolyline2d
};

// Sink for sampled points: AddPoint is called once per point, in curve
// order. A curve never keeps a sink beyond the sampling call; the sink is
// never deleted through this interface.
class ENGINE_EXPORT GkSamplePoint {
public:
  virtual void AddPoint(const AcGePoint2d& pt) = 0;

protected:
  GkSamplePoint() = default;
  GkSamplePoint(const GkSamplePoint&) = default;
  GkSamplePoint& operator=(const GkSamplePoint&) = default;
  ~GkSamplePoint() = default;
};

// Sink for sampled coordinates: AddXY is called once per point, in curve
// order. Same lifetime rules as GkSamplePoint.
class ENGINE_EXPORT GkSampleXY {
public:
  virtual void AddXY(const double& x, const double& y) = 0;

protected:
  GkSampleXY() = default;
  GkSampleXY(const GkSampleXY&) = default;
  GkSampleXY& operator=(const GkSampleXY&) = default;
  ~GkSampleXY() = default;
};

class ENGINE_EXPORT GkCurve2d {
public:
  // Empty box, out of date.
  GkCurve2d();
  // Both copy the box cache and its flag from the source; the object keeps
  // its own dynamic type.
  GkCurve2d(const GkCurve2d& src);
  GkCurve2d& operator=(const GkCurve2d& src);

  // For the curve-against-curve queries the returned or first out-point lies
  // on this curve, the other one on the argument. Tolerances govern the
  // geometric decisions as each curve states; several curves also read
  // GkGeoLib::g_tol for sub-steps.

  virtual GkCurveType GetCrvType() const = 0;
  // Shortest distance between this curve and the arc / segment / point.
  virtual double distanceTo(AcGeCircArc2d& arc, const GkTolerance& tol) = 0;
  virtual double distanceTo(AcGeLineSeg2d& seg, const GkTolerance& tol) = 0;
  virtual double distanceTo(AcGePoint2d& pt, const GkTolerance& tol) = 0;
  // The point of this curve nearest the arc / segment; other receives the
  // argument's point of the nearest pair.
  virtual AcGePoint2d closestPointTo(AcGeCircArc2d& arc, AcGePoint2d& other,
                                     const GkTolerance& tol) = 0;
  virtual AcGePoint2d closestPointTo(AcGeLineSeg2d& seg, AcGePoint2d& other,
                                     const GkTolerance& tol) = 0;
  // The point of this curve nearest pt.
  virtual AcGePoint2d closestPointTo(AcGePoint2d& pt, const GkTolerance& tol) = 0;
  // The nearest pair (onThis on this curve, onOther on the argument) and
  // its distance.
  virtual double distanceToSeg(AcGeLineSeg2d& seg, AcGePoint2d& onThis, AcGePoint2d& onOther,
                               const GkTolerance& tol) = 0;
  virtual double distanceToArc(AcGeCircArc2d& arc, AcGePoint2d& onThis, AcGePoint2d& onOther,
                               const GkTolerance& tol) = 0;
  // The cached box, recomputed first when out of date.
  virtual GkBoundBox2d GetBoundBox() = 0;
  // A new heap copy of the same concrete type; the caller owns it and
  // releases it with delete.
  virtual GkCurve2d* Clone() = 0;
  // Some point on the curve.
  virtual AcGePoint2d GetAnyPoint() const = 0;
  virtual AcGePoint2d startPoint() const = 0;
  virtual AcGePoint2d endPoint() const = 0;
  virtual AcGePoint2d midPoint() const = 0;
  // Reverses the direction; the point set and the box cache stay.
  virtual void Flip() = 0;
  // Hand out sampled points from start to end, both included, to the sink /
  // into the vector; tol is the sampling (chord) tolerance. What becomes of
  // the vector's earlier contents is stated per curve.
  virtual void getSamplePoints(GkSamplePoint& sink, const double& tol) = 0;
  virtual void GetSamplePointXY(GkSampleXY& sink, const double& tol) = 0;
  virtual void GetSampleBuffer(std::vector<AcGePoint2d>& pts, const double& tol) = 0;

  virtual ~GkCurve2d();

protected:
  GkBoundBox2d cachedBox;
  bool boxOutOfDate = true;
};
